#pragma once

// The exception log: for each exception raised in the program's code an entry with the time,
// the exception's class, where it was raised, its message and the call stack at the raise,
// written newest first into the log file. Active from its creation to its destruction.

#include "diagnostics/ExceptionHook.h"
#include "diagnostics/LogEntry.h"
#include "diagnostics/LogWriter.h"

#include <atomic>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class TJclDebugHandler {
public:
    // applicationTitle names the default log file, used until LogFileName is set.
    explicit TJclDebugHandler(std::function<std::string()> applicationTitle);
    ~TJclDebugHandler();
    TJclDebugHandler(const TJclDebugHandler&) = delete;
    TJclDebugHandler& operator=(const TJclDebugHandler&) = delete;

    bool ExceptionLogging() const { return FExceptionLogging; }
    void SetExceptionLogging(bool value) { FExceptionLogging = value; }
    bool StackTrackingEnable() const { return FStackTrackingEnable; }
    void SetStackTrackingEnable(bool value);
    // Logs only what reaches the process's unhandled-exception handlers, instead of every raise.
    bool UnhandledExceptionsOnly() const { return FUnhandledExceptionsOnly; }
    void SetUnhandledExceptionsOnly(bool value);
    bool LogToFile() const { return FLogToFile; }
    void SetLogToFile(bool value) { FLogToFile = value; }
    std::string LogFileName() const;
    void SetLogFileName(const std::string& value);
    bool AppendLogFile() const { return FAppendLogFile; }
    void SetAppendLogFile(bool value) { FAppendLogFile = value; }
    // Called with the handler when an entry is assembled, before it is written.
    std::function<void(TJclDebugHandler&)> OnOtherDestination;

    // Returns when every entry made so far is in the log file: for an end of the program that
    // runs no destructor, such as the end of the logon session. The handler's own end does it too.
    void Flush() noexcept;

    // The lines of the entry being written; valid inside OnOtherDestination.
    const std::vector<std::string>& Entry() const { return FEntry; }

private:
    static void CaptureStack(void* handler, const TRaise& raise);
    static void LogRaise(void* handler, const TRaise& raise);
    void LogException(std::string className, std::optional<std::string> message, std::uintptr_t address,
                      bool systemException);
    void LogSystemException(const EXCEPTION_RECORD& record, std::uintptr_t address);
    void WriteEntry();
    void InstallUnhandledHandlers();
    void RemoveUnhandledHandlers();
    static LONG CALLBACK UnhandledSystemException(EXCEPTION_POINTERS* pointers);
    static void UnhandledLanguageException();

    std::function<std::string()> FApplicationTitle;
    bool FHooked = false;
    // Read by whichever thread raises.
    std::atomic<bool> FExceptionLogging = true;
    std::atomic<bool> FStackTrackingEnable = true;
    std::atomic<bool> FUnhandledExceptionsOnly = false;
    std::atomic<bool> FLogToFile = true;
    std::atomic<bool> FAppendLogFile = true;
    std::string FLogFileName;
    std::vector<std::string> FEntry;
    // One entry at a time, from whichever thread raised it. OnOtherDestination may set the
    // properties again: the notifiers stay registered for the handler's whole life and read the
    // properties at each raise, so no setter touches the notifier list that the raising thread
    // holds. Held only where raises are not reported (see TRaiseGuard).
    mutable std::recursive_mutex FLock;
    LPTOP_LEVEL_EXCEPTION_FILTER FPreviousFilter = nullptr;
    std::terminate_handler FPreviousTerminate = nullptr;
    // Last, so that it ends first, writing what is pending.
    TLogWriter FWriter;
};
