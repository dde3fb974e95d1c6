#pragma once

// The numbers of the user-interface texts: LoadText(kTextX) gives entry
// LanguageBase() + kTextX of the string tables in resources/strings. A new text
// gets a line in all three tables and a constant here.

namespace tavik {

inline constexpr int kTextBadDataFile = 1;
inline constexpr int kTextAddTopic = 2;
inline constexpr int kTextName = 3;
inline constexpr int kTextDeleteTopic = 4; // %s: the topic
inline constexpr int kTextDeleteImage = 5; // %s: the image
inline constexpr int kTextRenameTopic = 6;
inline constexpr int kTextRenameImage = 7;
inline constexpr int kTextTopicsCaption = 8; // %d: how many topics
inline constexpr int kTextImagesCaption = 9; // %d: how many images
inline constexpr int kTextAboutCaption = 16;
inline constexpr int kTextViewCaption = 17;
inline constexpr int kTextPasteCaption = 18;
inline constexpr int kTextCancel = 22;
inline constexpr int kTextAddImages = 23; // %d images, %s: the topic
inline constexpr int kTextHelpHint = 24;
inline constexpr int kTextSaveChangesHint = 25;
inline constexpr int kTextImportHint = 26;
inline constexpr int kTextImportFolder = 27;
inline constexpr int kTextImportCaption = 28;
inline constexpr int kTextNoCatalog = 29; // %s: the folder
inline constexpr int kTextSelectAll = 30;
inline constexpr int kTextDeleteTopics = 34; // %d: how many
inline constexpr int kTextDeleteImages = 35; // %d: how many
inline constexpr int kTextImporting = 36;
inline constexpr int kTextUpdating = 37;
inline constexpr int kTextMoveImage = 38;  // %s: the image, %s: the topic
inline constexpr int kTextMoveImages = 39; // %d images, %s: the topic
inline constexpr int kTextFitPreviewHint = 47;
inline constexpr int kTextLargeIconsHint = 50;
inline constexpr int kTextSmallIconsHint = 51;
inline constexpr int kTextListHint = 52;
inline constexpr int kTextAddHint = 53;
inline constexpr int kTextDeleteHint = 54;
inline constexpr int kTextRenameHint = 55;
inline constexpr int kTextCopyHint = 56;
inline constexpr int kTextPasteHint = 57;
inline constexpr int kTextSaveImageHint = 58;
inline constexpr int kTextMoveUpHint = 59;
inline constexpr int kTextMoveDownHint = 60;
inline constexpr int kTextGroupFolder = 63;
inline constexpr int kTextCatalogInUse = 66; // %s: the folder

// The add command's closing report.
inline constexpr int kTextAddFailedHeader = 100;
inline constexpr int kTextAddFailedUnknown = 101;    // %s: the file
inline constexpr int kTextAddFailedUnreadable = 102; // %s: the file
inline constexpr int kTextAddFailedDamaged = 103;    // %s: the file
inline constexpr int kTextAddFailedTooLarge = 104;   // %s, then the sizes
inline constexpr int kTextAllPictures = 105;
inline constexpr int kTextAddFailedOther = 106; // %s: the file, %s: why

// The group save's format step.
inline constexpr int kTextGroupFormatQuestion = 107;
inline constexpr int kTextGroupFormatOriginal = 108;
inline constexpr int kTextGroupFormatPng = 109;
inline constexpr int kTextGroupFormatSvg = 110;

// Search and duplicates.
inline constexpr int kTextDuplicateQuestion = 111;  // %s: the new picture, %s: the copy
inline constexpr int kTextDuplicateElsewhere = 112; // %s: the picture, the topic, the copy
inline constexpr int kTextSearchHint = 113;

// A typed name the catalogue's code page cannot hold.
inline constexpr int kTextNameLossQuestion =
    114; // %s: the code page, the typed name, the stored name

// The undo history: the actions, then the names of the changes.
inline constexpr int kTextUndo = 120;
inline constexpr int kTextRedo = 121;
inline constexpr int kTextUndoNamed = 122; // %s: the change
inline constexpr int kTextRedoNamed = 123; // %s: the change
inline constexpr int kTextChangeAddOne = 124;
inline constexpr int kTextChangeAddMany = 125;
inline constexpr int kTextChangePaste = 126;
inline constexpr int kTextChangeDeleteOne = 127;
inline constexpr int kTextChangeDeleteMany = 128;
inline constexpr int kTextChangeRename = 129;
inline constexpr int kTextChangeMove = 130;
inline constexpr int kTextChangeTransferOne = 131;
inline constexpr int kTextChangeTransferMany = 132;
inline constexpr int kTextChangeAddTopic = 133;
inline constexpr int kTextChangeRenameTopic = 134;
inline constexpr int kTextChangeMoveTopic = 135;
inline constexpr int kTextChangeDeleteTopic = 136;
inline constexpr int kTextChangeDeleteTopics = 137;
inline constexpr int kTextChangeImportOne = 138;
inline constexpr int kTextChangeImportMany = 139;

} // namespace tavik
