#include "app/ProgramCommand.h"

#include "UniqueKernelHandle.h"
#include "app/CommandLine.h"
#include "script/ElevatedChannel.h"
#include "app/Maker.h"
#include "app/ProgramHost.h"
#include "diagnostics/JclDebugHandler.h"
#include "dialogs/TextFile.h"
#include "script/AnsiText.h"
#include "script/ComSession.h"
#include "script/ProgramValues.h"
#include "script/Registry.h"
#include "store/FileManager.h"
#include "store/FileStream.h"

#include <windows.h>

#include <cstdio>

namespace {

// CreateFile's failure is INVALID_HANDLE_VALUE, which no owner may close.
UniqueKernelHandle OpenedFile(HANDLE file)
{
    return UniqueKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

constexpr char Usage[] = "Usage: LumivantaManager /apply FILE.reg | /export FILE.reg | /check  [/log FILE]";

// A program of the GUI subsystem gets no console of its own: the standard output it inherits
// when one was handed to it (a pipe, a file, a console), else the console of the program that
// started it, else none.
class TConsole {
public:
    TConsole()
    {
        const HANDLE inherited = ::GetStdHandle(STD_OUTPUT_HANDLE);
        if (inherited && inherited != INVALID_HANDLE_VALUE && ::GetFileType(inherited) != FILE_TYPE_UNKNOWN)
            FOutput = inherited;
        else if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
            FOwned = OpenedFile(::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
            FOutput = FOwned.Get();
        }
    }
    TConsole(const TConsole&) = delete;
    TConsole& operator=(const TConsole&) = delete;

    void Line(const std::wstring& text) const
    {
        if (!FOutput)
            return;
        const std::wstring line = text + L"\r\n";
        DWORD written = 0;
        DWORD mode = 0;
        if (::GetConsoleMode(FOutput, &mode))
            ::WriteConsoleW(FOutput, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        else {
            // A pipe or a file: in the code page the console reading it decodes.
            const std::string bytes = AnsiFromWide(line);
            ::WriteFile(FOutput, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        }
    }

private:
    UniqueKernelHandle FOwned;
    HANDLE FOutput = nullptr;
};

std::string LocalTimeStamp()
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    return stamp;
}

// Where the lines go: the console, and the log appended in UTF-8, each line dated.
class TCommandOutput {
public:
    explicit TCommandOutput(const std::string& logFile)
    {
        if (logFile.empty())
            return;
        FLog = OpenedFile(::CreateFileW(WideFromAnsi(FullPathName(logFile)).c_str(), FILE_APPEND_DATA,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
        FLogFailed = !FLog;
    }
    TCommandOutput(const TCommandOutput&) = delete;
    TCommandOutput& operator=(const TCommandOutput&) = delete;

    bool LogFailed() const { return FLogFailed; }

    void Line(const std::wstring& text) const
    {
        FConsole.Line(text);
        if (!FLog)
            return;
        const std::string line = LocalTimeStamp() + "  " + Utf8FromWide(text) + "\r\n";
        DWORD written = 0;
        ::WriteFile(FLog.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    void Line(const std::string& ansi) const { Line(WideFromAnsi(ansi)); }

private:
    TConsole FConsole;
    UniqueKernelHandle FLog;
    bool FLogFailed = false;
};

// What a run from the command line needs around the scripts: COM, the exception log beside the
// program, and this thread's registry accessor.
struct TCommandSession {
    TCommandSession() { Debugger.SetLogFileName(ProgramFolder() + "debugger.log"); }

    TComSession Apartment;
    TJclDebugHandler Debugger{[] { return std::string(ProductName); }};
    TSharedRegistryScope Registry;
};

const wchar_t* ScriptCommandName(TProgramCommand command)
{
    return command == TProgramCommand::Apply ? L"apply" : command == TProgramCommand::Export ? L"export" : L"check";
}

// The script's part; the program's own failures are exceptions.
int RunThroughScripts(const TCommandRequest& request, const std::vector<std::string>& args,
                      const TCommandOutput& output)
{
    std::wstring fileText;
    if (request.Command == TProgramCommand::Apply)
        fileText = ReadTextFile(WideFromAnsi(FullPathName(request.File)));
    TFileManager content(ProgramFolder() + "Ruroda.db", ProgramFolder(), args);
    std::wstring exported;
    bool written = false;
    TProgramHost host(LoadHostScripts(content),
                      {[&output](const std::wstring& line) { output.Line(line); },
                       [&](const std::wstring& text) {
                           exported = text;
                           written = true;
                       }});
    const int code = host.Command(ScriptCommandName(request.Command), fileText);
    if (request.Command == TProgramCommand::Export && written && code == CommandDone)
        WriteTextFile(WideFromAnsi(FullPathName(request.File)), exported);
    return code;
}

int RunRequest(const TCommandRequest& request, const std::vector<std::string>& args, const TCommandOutput& output)
{
    try {
        return RunThroughScripts(request, args, output);
    } catch (const ETextFileRefused& refused) {
        output.Line(refused.Message() + " Nothing was written.");
        return CommandFileRefused;
    } catch (const std::exception& failure) {
        output.Line(std::string(failure.what()));
        return CommandCouldNotRun;
    }
}

}

std::optional<int> RunProgramCommand(const std::vector<std::string>& args)
{
    const TCommandRequest request = FindProgramCommand(args);
    if (request.Command == TProgramCommand::None)
        return std::nullopt;
    const TCommandOutput output(request.LogFile);
    if (request.Command == TProgramCommand::NotUnderstood) {
        output.Line(std::string(Usage));
        return CommandNotUnderstood;
    }
    if (output.LogFailed()) {
        output.Line("Cannot open the log " + request.LogFile + ".");
        return CommandCouldNotRun;
    }
    const TCommandSession session;
    const int code = RunRequest(request, args, output);
    output.Line("Exit code " + std::to_string(code));
    return code;
}

std::optional<int> RunElevatedChanges(const std::vector<std::string>& args)
{
    if (args.size() != 3 || args[0] != "/elevated")
        return std::nullopt;
    const TCommandSession session;
    try {
        TElevatedConnection connection(WideFromAnsi(args[1]), args[2]);
        const TAskersHive hive(connection.AskerProcessId());
        // The definitions come from the archive beside this program file, never from a folder.
        TFileManager content(ProgramFolder() + "Ruroda.db", ProgramFolder(), {});
        TProgramHost host(LoadHostScripts(content),
                          {[&connection](const std::wstring& line) { connection.Say(Utf8FromWide(line) + "\n"); },
                           [](const std::wstring&) {}});
        return host.Command(L"elevated", WideFromUtf8(ElevatedItemLines(connection.Request().Items)));
    } catch (const EElevatedRequest&) {
        // Refused whole and logged (the exception log sees every throw); nothing was written.
        return CommandFileRefused;
    } catch (const std::exception&) {
        return CommandCouldNotRun;
    }
}
