#pragma once

#include "graphics/ImageExport.h"
#include "storage/Records.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

class QWidget;

namespace tavik {

class TPicture;

// The save dialog's filter for a kind: one entry per file format of the kind,
// led by an "All" entry when it has more than one ("All (*.emf *.wmf)",
// "Enhanced Metafiles (*.emf)", "Metafiles (*.wmf)"), then "PNG (*.png)" and,
// for metafiles, "SVG (*.svg)"; joined by ";;".
QString SaveFilterOf(PictureKind kind);

// A picture name made into a name this platform can give a file, so that a
// file written under it lands in the chosen folder and nowhere else: "/" and
// NUL become "_", a name of only "." or ".." gets "_" for each point, and a
// name longer than 255 bytes in UTF-8 is shortened before its extension. The
// empty name stays empty (writing under it fails).
QString ValidFileName(const QString& name);

// name with the default extension of kind after it when it has none ("Rose"
// and "Rose." become "Rose.bmp" for a bitmap), so that the file opens as what
// it holds; a name with any extension is kept as it is.
QString WithKindExtension(const QString& name, PictureKind kind);

// folder, a "/" unless it already ends in one, and the name made valid.
QString GroupFilePath(const QString& folder, const QString& name);

// Writes picture to path in the format of its kind; a metafile under a name
// ending in ".wmf" (any case) as a Windows metafile; any picture under ".png"
// as PNG and a metafile under ".svg" as SVG. Throws the errors of
// TPicture::SaveToFile ("Cannot create file %s", "Stream write error").
void WritePictureFile(const TPicture& picture, const QString& path);

// Asks for a file name in the save dialog ("SaveBmpDialog"): proposed name
// (made valid), the filter and default extension of the picture's kind, and a
// question before an existing file is replaced. On confirmation writes the
// picture there and returns the path; returns the empty text when cancelled.
QString SaveImageAs(const TPicture& picture, const QString& name, QWidget* parent = nullptr);

// One picture of a group: its name (bytes in the catalogue's code page) and
// the position of its record in the data file.
struct TGroupPicture {
    std::string name;
    std::int32_t position = 0;
};

// Restores each picture from dataFileName in turn and writes it into folder
// under its name (decoded from codePage, then made valid), replacing an
// existing file without asking. In another format than the original the
// name's extension becomes the format's ("rose.bmp" -> "rose.png"; a name
// without one gets it added). Returns the paths written. A failing picture
// stops the loop with its error; the files before it stay.
QStringList SaveImageGroup(const QString& folder, const std::vector<TGroupPicture>& pictures,
                           const std::string& dataFileName, int codePage,
                           ExportFormat format = ExportFormat::Original);

// The second step of a group save: asks in which format the pictures are
// written ("GroupFormatDialog": original formats, PNG, SVG for metafiles),
// proposing the answer last given in this run. Returns false when cancelled.
bool AskGroupFormat(QWidget* parent, ExportFormat& format);

} // namespace tavik
