#pragma once

// Writes the exception log's entries on a thread of its own, so that a raise costs only its
// entry. The log's text is read once and then kept: the program is the file's only writer. The
// entries that arrive within a short while are written together, in one replace of the file,
// exactly as writing them one after the other would leave it.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class TLogWriter {
public:
    TLogWriter();
    // Writes what is still pending before the thread ends.
    ~TLogWriter();
    TLogWriter(const TLogWriter&) = delete;
    TLogWriter& operator=(const TLogWriter&) = delete;

    // append false replaces the log with this entry and whatever follows it.
    void Add(std::string fileName, std::vector<std::string> entry, bool append);
    // Returns when every entry added so far is in its file, or could not be written there.
    void Flush() noexcept;

    // How long a burst may gather. A process killed from outside loses the entries of this
    // time and those of a replace under way, which lasts as long as the disk takes to write the
    // whole log and replace the file.
    static constexpr std::chrono::milliseconds GatheringTime{25};

private:
    struct TPending {
        std::string FileName;
        std::vector<std::string> Entry;
        bool Append = true;
    };
    void Run() noexcept;
    void WriteBatch(const std::vector<TPending>& batch);
    void WriteEntries(const std::string& fileName, std::vector<std::vector<std::string>> entries, bool append);

    std::mutex FLock;
    std::condition_variable FChanged;
    std::vector<TPending> FPending;
    std::chrono::steady_clock::time_point FFirstPendingAt;
    std::uint64_t FAdded = 0;
    std::uint64_t FWritten = 0;
    // The entries up to this count are waited for: written without gathering. A count rather
    // than a flag, so that it ends by itself once they are written, by whichever write.
    std::uint64_t FUrgentUpTo = 0;
    bool FStopping = false;
    // The file's content as last read or written; only the writing thread touches it.
    std::string FKnownFileName;
    std::optional<std::optional<std::string>> FKnownContent; // known, and nothing when no file
    std::thread FThread;
};
