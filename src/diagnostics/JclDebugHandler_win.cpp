#include "diagnostics/JclDebugHandler.h"

#include "Exception.h"
#include "UniqueHandle.h"
#include "script/ProgramValues.h"

#include <cxxabi.h>

#include <cstdlib>
#include <exception>
#include <memory>

namespace {

void CloseFileHandle(HANDLE file)
{
    ::CloseHandle(file);
}
using UniqueFile = UniqueHandle<HANDLE, CloseFileHandle>;

// The owner holds no handle when the file cannot be opened; GetLastError then tells why.
UniqueFile OpenFile(const char* fileName, DWORD access, DWORD sharing, DWORD disposition)
{
    const HANDLE file = ::CreateFileA(fileName, access, sharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueFile(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

// The one handler that takes the process's unhandled exceptions, when one does.
TJclDebugHandler* UnhandledOwner = nullptr;

// The message of this thread's last raise, kept while only unhandled exceptions are logged: the
// terminate handler has the exception's type but no way to its object short of throwing it again.
thread_local std::optional<std::string> LastRaiseMessage;

std::string ClassNameOf(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                     &std::free);
    return status == 0 && name ? name.get() : type.name();
}

// The message of an object of the program's exception class, found as a catch clause would.
std::optional<std::string> MessageOf(const std::type_info& type, void* object)
{
    void* adjusted = object;
    if (!typeid(Exception).__do_catch(&type, &adjusted, 1))
        return std::nullopt;
    return static_cast<const Exception*>(adjusted)->Message();
}

std::string LocalDateTime()
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char date[128] = "", time[128] = "";
    ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, sizeof date);
    ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, sizeof time);
    return std::string(date) + " " + time;
}

// A return address points after its call, which may be the last instruction of a procedure:
// the call itself is looked up.
std::optional<TSourceLocation> Locate(std::uintptr_t address, bool returnAddress)
{
    const auto relative = ProgramRelativeAddress(returnAddress ? address - 1 : address);
    if (!relative)
        return std::nullopt;
    return ProgramAddressTable().Lookup(*relative);
}

enum class TReadResult { Read, Missing, Unreadable };

TReadResult ReadLogFile(const std::string& fileName, std::string& content)
{
    const UniqueFile file = OpenFile(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     OPEN_EXISTING);
    if (!file) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? TReadResult::Missing
                                                                               : TReadResult::Unreadable;
    }
    // Only what can stay in the log is read.
    content.resize(LogFileCapacity);
    DWORD read = 0;
    if (!::ReadFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &read, nullptr))
        return TReadResult::Unreadable;
    content.resize(read);
    return TReadResult::Read;
}

// The new content goes to a file of its own beside the log, which then replaces the log in one
// step: a crash or power loss while writing leaves the older log as it was.
void ReplaceLogFile(const std::string& fileName, const std::string& content)
{
    char temporary[MAX_PATH];
    if (!::GetTempFileNameA(FolderOfPath(fileName, '\\').c_str(), "lvl", 0, temporary))
        return;
    bool written = false;
    {
        const UniqueFile file = OpenFile(temporary, GENERIC_WRITE, 0, CREATE_ALWAYS);
        DWORD done = 0;
        written = file && ::WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &done, nullptr) &&
                  done == content.size() && ::FlushFileBuffers(file.Get());
    }
    if (!written || !::MoveFileExA(temporary, fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ::DeleteFileA(temporary);
}

} // namespace

TJclDebugHandler::TJclDebugHandler(std::function<std::string()> applicationTitle)
    : FApplicationTitle(std::move(applicationTitle))
{
    FHooked = HookExceptions();
    if (!FHooked)
        return;
    AddRaiseNotifier(CaptureStack, this, TNotifierPriority::First);
    AddRaiseNotifier(LogRaise, this, TNotifierPriority::Normal);
}

TJclDebugHandler::~TJclDebugHandler()
{
    if (!FHooked)
        return;
    FUnhandledExceptionsOnly = false;
    ApplyUnhandledHandlers();
    RemoveRaiseNotifier(LogRaise, this);
    RemoveRaiseNotifier(CaptureStack, this);
    UnhookExceptions();
}

void TJclDebugHandler::SetStackTrackingEnable(bool value)
{
    FStackTrackingEnable = value;
}

void TJclDebugHandler::SetUnhandledExceptionsOnly(bool value)
{
    FUnhandledExceptionsOnly = value;
    ApplyUnhandledHandlers();
}

std::string TJclDebugHandler::LogFileName() const
{
    const TRaiseGuard quiet;
    std::lock_guard lock(FLock);
    return FLogFileName;
}

void TJclDebugHandler::SetLogFileName(const std::string& value)
{
    const TRaiseGuard quiet;
    std::lock_guard lock(FLock);
    FLogFileName = value;
}

// Installs or removes the process's unhandled-exception handlers as the property says.
void TJclDebugHandler::ApplyUnhandledHandlers()
{
    if (!FHooked)
        return;
    std::lock_guard lock(FRegistrationLock);
    if (FUnhandledExceptionsOnly != FUnhandledHandlers) {
        if (FUnhandledExceptionsOnly && !UnhandledOwner) {
            UnhandledOwner = this;
            FPreviousFilter = ::SetUnhandledExceptionFilter(UnhandledSystemException);
            FPreviousTerminate = std::set_terminate(UnhandledLanguageException);
            FUnhandledHandlers = true;
        } else if (!FUnhandledExceptionsOnly && UnhandledOwner == this) {
            ::SetUnhandledExceptionFilter(FPreviousFilter);
            std::set_terminate(FPreviousTerminate);
            UnhandledOwner = nullptr;
            FUnhandledHandlers = false;
        }
    }
}

void TJclDebugHandler::CaptureStack(void* handler, const TRaise& raise)
{
    if (static_cast<TJclDebugHandler*>(handler)->FStackTrackingEnable)
        CaptureRaiseStack(nullptr, raise);
}

void TJclDebugHandler::LogRaise(void* handler, const TRaise& raise)
{
    auto& self = *static_cast<TJclDebugHandler*>(handler);
    if (!self.FExceptionLogging)
        return;
    try {
        if (self.FUnhandledExceptionsOnly)
            LastRaiseMessage = raise.Type ? MessageOf(*raise.Type, raise.Object) : std::nullopt;
        else if (raise.Type)
            self.LogException(ClassNameOf(*raise.Type), MessageOf(*raise.Type, raise.Object), raise.Address, false);
        else
            self.LogException(SystemExceptionClassName(raise.Record->ExceptionCode), std::nullopt, raise.Address, true);
    } catch (...) {
        // The log is for diagnosis: a failure to write it must not change what the program does.
    }
}

void TJclDebugHandler::LogException(std::string className, std::optional<std::string> message,
                                    std::uintptr_t address, bool systemException)
{
    std::lock_guard lock(FLock);
    if (!FExceptionLogging)
        return;
    TExceptionReport report;
    report.DateTime = LocalDateTime();
    report.ClassName = std::move(className);
    report.Message = std::move(message);
    report.Address = address;
    report.Location = Locate(address, !systemException);
    if (FStackTrackingEnable) {
        const TStackTrace& stack = LastRaiseStack();
        report.Stack.emplace();
        for (std::size_t i = 0; i < stack.Count; ++i)
            report.Stack->push_back({stack.Frames[i], Locate(stack.Frames[i], !(systemException && i == 0))});
    }
    FEntry = FormatLogEntry(report);
    if (OnOtherDestination) {
        try {
            OnOtherDestination(*this);
        } catch (...) {
            // Another destination's failure keeps the entry from no other.
        }
    }
    WriteEntry();
    FEntry.clear();
}

void TJclDebugHandler::WriteEntry()
{
    if (!FLogToFile)
        return;
    if (FLogFileName.empty())
        FLogFileName = ProgramFolder() + FApplicationTitle() + "ERRORLOG.txt";
    std::optional<std::string> older;
    if (FAppendLogFile) {
        std::string content;
        switch (ReadLogFile(FLogFileName, content)) {
        case TReadResult::Read: older = std::move(content); break;
        case TReadResult::Missing: break;
        case TReadResult::Unreadable: return; // rewriting it would lose the older entries
        }
    }
    ReplaceLogFile(FLogFileName, ComposeLogFile(FEntry, older));
}

LONG CALLBACK TJclDebugHandler::UnhandledSystemException(EXCEPTION_POINTERS* pointers)
{
    TJclDebugHandler* owner = UnhandledOwner;
    if (!owner)
        return EXCEPTION_CONTINUE_SEARCH;
    TRaiseGuard guard;
    if (guard.Outermost()) {
        const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
        try {
            owner->LogException(SystemExceptionClassName(record->ExceptionCode), std::nullopt,
                                reinterpret_cast<std::uintptr_t>(record->ExceptionAddress), true);
        } catch (...) {
        }
    }
    return owner->FPreviousFilter ? owner->FPreviousFilter(pointers) : EXCEPTION_CONTINUE_SEARCH;
}

void TJclDebugHandler::UnhandledLanguageException()
{
    TJclDebugHandler* owner = UnhandledOwner;
    const std::type_info* type = abi::__cxa_current_exception_type();
    if (owner && type) {
        TRaiseGuard guard;
        try {
            owner->LogException(ClassNameOf(*type), LastRaiseMessage, LastRaiseAddress(), false);
        } catch (...) {
        }
    }
    if (owner && owner->FPreviousTerminate)
        owner->FPreviousTerminate();
    std::abort();
}
