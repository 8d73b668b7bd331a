#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qvset::forms {

// What the window program's command line asks for, read the same way by every face.
struct ProgramOptions {
    enum class Action { Run, Help, Version, Screenshot, Refused };
    Action action = Action::Run;
    // Run: the window shown first ("Form1", or "Form3" with --preview).
    std::string startForm = "Form1";
    // Screenshot: the picture's file and the window painted into it.
    std::string screenshotFile;
    std::string screenshotForm = "Form1";
    // Refused: one line naming the problem.
    std::string error;
};

// Reads the arguments after the program's name (a face's own options already taken out):
//   --help, -h                      Help
//   --version                       Version
//   --preview                       Run, starting on the preview "设置预览页"
//   --screenshot FILE, =FILE        Screenshot of the main window, or of --form N (1, 2, 3; also --form=N)
// Anything else, a missing or empty value (a separate value beginning with "--" is the next option, not
// a value; "--screenshot=--x" gives such a file), an option given twice, --form without --screenshot and
// --preview with --screenshot are refused; a refusal wins over --help and --version.
ProgramOptions ParseProgramArguments(const std::vector<std::string>& args);

// The text of --help for the program called `program` ("qvset", "qvset.exe").
std::string ProgramHelp(std::string_view program);

// What a refused command line prints on the standard error: the problem, and where to read more.
std::string RefusalText(const ProgramOptions& options);

}  // namespace qvset::forms
