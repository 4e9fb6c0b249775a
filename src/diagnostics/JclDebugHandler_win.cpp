#include "diagnostics/JclDebugHandler.h"

#include "Exception.h"
#include "script/ProgramValues.h"

#include <cxxabi.h>

#include <cstdlib>
#include <exception>
#include <memory>

namespace {

// The one handler that takes the process's unhandled exceptions: the first made, while it lives.
std::atomic<TJclDebugHandler*> UnhandledOwner = nullptr;
std::mutex UnhandledOwnerLock;

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

} // namespace

TJclDebugHandler::TJclDebugHandler(std::function<std::string()> applicationTitle)
    : FApplicationTitle(std::move(applicationTitle))
{
    FHooked = HookExceptions();
    if (!FHooked)
        return;
    AddRaiseNotifier(CaptureStack, this, TNotifierPriority::First);
    AddRaiseNotifier(LogRaise, this, TNotifierPriority::Normal);
    InstallUnhandledHandlers();
}

TJclDebugHandler::~TJclDebugHandler()
{
    if (!FHooked)
        return;
    RemoveUnhandledHandlers();
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
}

void TJclDebugHandler::Flush() noexcept
{
    FWriter.Flush();
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

// The process's unhandled-exception handlers log what reaches them when only unhandled
// exceptions are logged, and in any case put the pending entries on disk before the end.
void TJclDebugHandler::InstallUnhandledHandlers()
{
    std::lock_guard lock(UnhandledOwnerLock);
    if (UnhandledOwner)
        return;
    FPreviousFilter = ::SetUnhandledExceptionFilter(UnhandledSystemException);
    FPreviousTerminate = std::set_terminate(UnhandledLanguageException);
    UnhandledOwner = this;
}

void TJclDebugHandler::RemoveUnhandledHandlers()
{
    std::lock_guard lock(UnhandledOwnerLock);
    if (UnhandledOwner != this)
        return;
    ::SetUnhandledExceptionFilter(FPreviousFilter);
    std::set_terminate(FPreviousTerminate);
    UnhandledOwner = nullptr;
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
            self.LogSystemException(*raise.Record, raise.Address);
    } catch (...) {
        // The log is for diagnosis: a failure to write it must not change what the program does.
    }
}

// A system exception in the program's code ends it more often than not, at times without any
// handler of ours running again (a stack overflow, a debugger, a handler that ends the process):
// its entry is written before the program goes on.
void TJclDebugHandler::LogSystemException(const EXCEPTION_RECORD& record, std::uintptr_t address)
{
    LogException(SystemExceptionClassName(record.ExceptionCode), std::nullopt, address, true);
    FWriter.Flush();
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
    FWriter.Add(FLogFileName, std::move(FEntry), FAppendLogFile);
}

LONG CALLBACK TJclDebugHandler::UnhandledSystemException(EXCEPTION_POINTERS* pointers)
{
    TJclDebugHandler* owner = UnhandledOwner;
    if (!owner)
        return EXCEPTION_CONTINUE_SEARCH;
    TRaiseGuard guard;
    if (guard.Outermost() && owner->FUnhandledExceptionsOnly) {
        const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
        try {
            owner->LogException(SystemExceptionClassName(record->ExceptionCode), std::nullopt,
                                reinterpret_cast<std::uintptr_t>(record->ExceptionAddress), true);
        } catch (...) {
        }
    }
    owner->FWriter.Flush();
    return owner->FPreviousFilter ? owner->FPreviousFilter(pointers) : EXCEPTION_CONTINUE_SEARCH;
}

void TJclDebugHandler::UnhandledLanguageException()
{
    TJclDebugHandler* owner = UnhandledOwner;
    const std::type_info* type = abi::__cxa_current_exception_type();
    if (owner && type && owner->FUnhandledExceptionsOnly) {
        TRaiseGuard guard;
        try {
            owner->LogException(ClassNameOf(*type), LastRaiseMessage, LastRaiseAddress(), false);
        } catch (...) {
        }
    }
    if (owner)
        owner->FWriter.Flush();
    if (owner && owner->FPreviousTerminate)
        owner->FPreviousTerminate();
    std::abort();
}
