#pragma once
#include <exception>

namespace tavik {

// The general error report: a modal message box with the application title
// and the exception's message. Used by the application's event loop and by
// the start-up and shutdown of the main window, which must go on after it.
void ReportException(const std::exception& error);

} // namespace tavik
