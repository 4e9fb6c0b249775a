#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The arguments after the program name: split at blanks; double quotes group blanks and are
// removed.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);
// The same, without the program name that a full command line begins with.
std::vector<std::string> ArgumentsAfterProgramName(std::string_view commandLine);

// "-hidden" counts only as the exact first argument.
bool StartsHidden(const std::vector<std::string>& args);

enum class TComSwitch { None, Register, Unregister };
// "REGSERVER" or "UNREGSERVER" anywhere, after a "-" or "/", in any letter case.
TComSwitch FindComSwitch(const std::vector<std::string>& args);

// What the installer asks of the program, matched as the COM switches are:
// "OFFERSTART" asks the user whether to start the program now; "CLOSE" ends the running copy
// through its Exit path; "REOPEN" starts the program again when "CLOSE" ended it; "UNINSTALL"
// ends the running copy and removes the program's auto-start value, user-agent token and class
// registration, with "PURGE" also its settings; "RESTORE" puts back what "UNINSTALL" removed,
// for a removal that fails, and "DROPBACKUP" drops that copy once the removal has succeeded.
enum class TInstallerSwitch { None, OfferStart, Close, Reopen, Uninstall, Purge, Restore, DropBackup };
TInstallerSwitch FindInstallerSwitch(const std::vector<std::string>& args);
// What "CLOSE" and "REOPEN" act on, the arguments that are no switch, an empty one included (a
// path the installer could not give names no file): the program file, when it is not this one
// (the installer runs a copy of the program that it carries, before the installed one can run
// or after it is gone), then the product code of the package that runs them.
std::vector<std::string> InstallerSwitchOperands(const std::vector<std::string>& args);

// The command COM starts the program's class server with: the path, always quoted, since a
// path with blanks would otherwise let Windows try every shorter path that ends at a blank.
std::string LocalServerCommand(std::string_view programPath);
// The program such a command starts, quoted or not (older versions wrote the short form).
std::string LocalServerProgram(std::string_view command);

// The fatal start-up report: "Runtime error 217 at 0040A1B2".
std::string RuntimeErrorText(int error, std::uint32_t address);

// The forms for logon scripts, scheduled tasks and management tools: "/apply FILE.reg",
// "/export FILE.reg" or "/check", each with "/log FILE" beside it if wanted, the switches matched
// as the COM switches are. They run beside a running copy and show nothing but their text. An
// operand is the next argument; one that begins with "-" or "/" is taken for a switch. "/data="
// arguments select the pages' folder as they do for the program.
enum class TProgramCommand { None, Apply, Export, Check, NotUnderstood };
struct TCommandRequest {
    TProgramCommand Command = TProgramCommand::None;
    std::string File;
    std::string LogFile;
};
// None when no argument is one of these switches; NotUnderstood when one is but the whole
// command line is not one of the forms.
TCommandRequest FindProgramCommand(const std::vector<std::string>& args);

// The exit codes of those forms: 0 to 3 are the scripts' answer, the others the program's.
enum TCommandExit : int {
    CommandDone = 0,
    CommandNotCompliant = 1,
    CommandPartlyApplied = 2,
    CommandFileRefused = 3,
    CommandCouldNotRun = 4,
    CommandNotUnderstood = 5,
};
