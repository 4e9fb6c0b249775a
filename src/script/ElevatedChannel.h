#pragma once

// The way between the program and its own copy started as administrator. The asking copy makes
// a pipe that only its user and administrators may open, under a random name, and starts the
// program file with the "runas" verb and "/elevated PIPE NONCE": the user's one consent prompt.
// The elevated copy connects, reads one request (one message of at most
// MostElevatedRequestBytes), answers in text and ends; its exit code is the outcome. The asking
// copy talks only to the process it started, and the elevated copy opens only a pipe of this
// program's name, as a client that the pipe's owner cannot impersonate.

#include "UniqueKernelHandle.h"
#include "script/ElevatedRequest.h"

#include <windows.h>

#include <string>
#include <vector>

struct TElevatedOutcome {
    bool Declined = false; // the user said no at the consent prompt, so nothing was started
    DWORD ExitCode = 0;
    std::string Output; // what the elevated copy said, in UTF-8
};

// Throws Exception when the copy cannot be started for another reason than the user's no, or
// ends without answering.
TElevatedOutcome RunElevated(const std::wstring& program, const std::vector<TElevatedItem>& items, HWND owner);

// The elevated copy's end of the pipe named on its command line.
class TElevatedConnection {
public:
    // Throws EElevatedRequest for a pipe of another name, and for a request that is oversized,
    // malformed, or made for another copy; Exception when the pipe cannot be opened or read.
    TElevatedConnection(const std::wstring& pipeName, const std::string& nonce);

    const TElevatedRequest& Request() const { return FRequest; }
    // The process that asked, whose user the changes are made for.
    DWORD AskerProcessId() const;
    void Say(const std::string& text);

private:
    UniqueKernelHandle FPipe;
    TElevatedRequest FRequest;
};

// For as long as it lives, HKEY_CURRENT_USER of this process is the hive of the user who runs
// the process askerProcessId, when that is another account: a standard user whom an
// administrator let through works as that administrator, yet the changes, the history and the
// kept settings are the user's own. The user comes from the asking process's token, never
// from the request.
class TAskersHive {
public:
    explicit TAskersHive(DWORD askerProcessId);
    ~TAskersHive();
    TAskersHive(const TAskersHive&) = delete;
    TAskersHive& operator=(const TAskersHive&) = delete;

private:
    bool FOverridden = false;
};
