#include "diagnostics/LogWriter.h"

#include "UniqueKernelHandle.h"
#include "diagnostics/ExceptionHook.h"
#include "diagnostics/LogEntry.h"
#include "script/ProgramValues.h"

#include <windows.h>

#include <algorithm>
#include <system_error>

namespace {

// The owner holds no handle when the file cannot be opened; GetLastError then tells why.
UniqueKernelHandle OpenFile(const char* fileName, DWORD access, DWORD sharing, DWORD disposition)
{
    const HANDLE file = ::CreateFileA(fileName, access, sharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

enum class TReadResult { Read, Missing, Unreadable };

TReadResult ReadLogFile(const std::string& fileName, std::string& content)
{
    const UniqueKernelHandle file = OpenFile(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
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
bool ReplaceLogFile(const std::string& fileName, const std::string& content)
{
    char temporary[MAX_PATH];
    if (!::GetTempFileNameA(FolderOfPath(fileName, '\\').c_str(), "lvl", 0, temporary))
        return false;
    bool written = false;
    {
        const UniqueKernelHandle file = OpenFile(temporary, GENERIC_WRITE, 0, CREATE_ALWAYS);
        DWORD done = 0;
        written = file && ::WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &done, nullptr) &&
                  done == content.size() && ::FlushFileBuffers(file.Get());
    }
    if (written && ::MoveFileExA(temporary, fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    ::DeleteFileA(temporary);
    return false;
}

} // namespace

TLogWriter::TLogWriter()
{
    try {
        FThread = std::thread(&TLogWriter::Run, this);
    } catch (const std::system_error&) {
        // Without a thread of its own each entry is written as it comes.
    }
}

TLogWriter::~TLogWriter()
{
    if (!FThread.joinable())
        return;
    {
        const TRaiseGuard quiet;
        std::lock_guard lock(FLock);
        FStopping = true;
    }
    FChanged.notify_all();
    FThread.join();
}

void TLogWriter::Add(std::string fileName, std::vector<std::string> entry, bool append)
{
    if (!FThread.joinable()) {
        WriteBatch({{std::move(fileName), std::move(entry), append}});
        return;
    }
    bool first = false;
    {
        std::lock_guard lock(FLock);
        first = FPending.empty();
        if (first)
            FFirstPendingAt = std::chrono::steady_clock::now();
        FPending.push_back({std::move(fileName), std::move(entry), append});
        ++FAdded;
    }
    // Only the first entry of a burst wakes the thread: the others would only cost each raise a
    // switch to a thread that goes on gathering.
    if (first)
        FChanged.notify_all();
}

void TLogWriter::Flush() noexcept
{
    // The writing thread itself, failing inside a write, cannot wait for that write.
    if (!FThread.joinable() || std::this_thread::get_id() == FThread.get_id())
        return;
    try {
        const TRaiseGuard quiet;
        std::unique_lock lock(FLock);
        const std::uint64_t target = FAdded;
        if (FWritten >= target)
            return;
        FUrgentUpTo = std::max(FUrgentUpTo, target);
        FChanged.notify_all();
        FChanged.wait(lock, [&] { return FWritten >= target; });
    } catch (...) {
        // Waiting failed: the thread writes the entries all the same, a little later.
    }
}

// Raises on this thread are never reported: logging them would wait for this very thread.
void TLogWriter::Run() noexcept
{
    const TRaiseGuard quiet;
    std::vector<TPending> batch;
    std::unique_lock lock(FLock);
    for (;;) {
        FChanged.wait(lock, [&] { return !FPending.empty() || FStopping; });
        if (FPending.empty())
            return;
        FChanged.wait_until(lock, FFirstPendingAt + GatheringTime,
                            [&] { return FUrgentUpTo > FWritten || FStopping; });
        batch.swap(FPending);
        const std::uint64_t added = FAdded;
        lock.unlock();
        try {
            WriteBatch(batch);
        } catch (...) {
            // The log is for diagnosis: entries that cannot be written are lost, nothing else.
        }
        batch.clear();
        lock.lock();
        FWritten = added;
        FChanged.notify_all();
    }
}

// One replace for each run of entries to the same file, from the last that replaces the log.
void TLogWriter::WriteBatch(const std::vector<TPending>& batch)
{
    for (std::size_t first = 0; first < batch.size();) {
        std::size_t end = first;
        std::size_t from = first;
        for (; end < batch.size() && batch[end].FileName == batch[first].FileName; ++end)
            if (!batch[end].Append)
                from = end;
        std::vector<std::vector<std::string>> entries;
        for (std::size_t i = from; i < end; ++i)
            entries.push_back(batch[i].Entry);
        WriteEntries(batch[first].FileName, std::move(entries), batch[from].Append);
        first = end;
    }
}

void TLogWriter::WriteEntries(const std::string& fileName, std::vector<std::vector<std::string>> entries, bool append)
{
    if (FKnownFileName != fileName) {
        FKnownFileName = fileName;
        FKnownContent.reset();
    }
    std::optional<std::string> older;
    if (append && FKnownContent) {
        older = *FKnownContent;
    } else if (append) {
        std::string content;
        switch (ReadLogFile(fileName, content)) {
        case TReadResult::Read: older = std::move(content); break;
        case TReadResult::Missing: break;
        case TReadResult::Unreadable: return; // rewriting it would lose the older entries
        }
    }
    std::string composed = ComposeLogFileOfEntries(entries, older);
    // A failed replace leaves the file as it was, and these entries lost.
    if (ReplaceLogFile(fileName, composed))
        FKnownContent.emplace(std::move(composed));
}
