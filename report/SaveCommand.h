// The "Save..." command, less its file dialog, which the window layer runs:
// the extension rule and the writer of the chosen filter.
#pragma once

#include <string>
#include <vector>

#include "image/Workspace.h"
#include "report/WriteResult.h"

namespace orelith {

// Filters of the save dialog, 1-based as the dialog reports them.
inline constexpr int kSaveFilterHtml = 1;
inline constexpr int kSaveFilterMonochrome = 2;
inline constexpr int kSaveFilterColour = 3;

// True when the last component of `name` has no extension: no '.' after its
// first character (a leading dot marks a hidden file, not an extension), or a
// '.' as its last character.
bool lacksExtension(const std::string& name);

// `name` with the extension of filter 1, 2 or 3 appended when it lacks one
// (".html", ".bmp"), else as it is: so also a device or pipe (/dev/null),
// which is written as it is named.
std::string extendedName(const std::string& name, int filterIndex);

// Saves the results under `chosenName` as the dialog's filter `filterIndex`
// says: 1 the HTML report, 2 the monochrome diagram, 3 the 16-colour diagram,
// any other writes nothing. The final name (extendedName) goes to
// ws.filePath; the open dialogs' remembered filter is left alone. Another
// filter fails with "Unable to extend filename." for a name that
// would need an extension; the writers' failures are theirs.
WriteOutcome saveOutput(Workspace& ws, const std::string& chosenName, int filterIndex,
                        const std::vector<std::string>& templateDirs);

}  // namespace orelith
