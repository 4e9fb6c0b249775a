#include "app/CommandLine.h"

#include "store/FileArch.h"

#include <cstdio>

std::vector<std::string> SplitCommandLine(std::string_view commandLine)
{
    std::vector<std::string> args;
    std::size_t i = 0;
    for (;;) {
        while (i < commandLine.size() && commandLine[i] > 0 && commandLine[i] <= ' ')
            ++i;
        if (i >= commandLine.size())
            break;
        std::string arg;
        bool quoted = false;
        for (; i < commandLine.size() && (quoted || !(commandLine[i] > 0 && commandLine[i] <= ' ')); ++i) {
            if (commandLine[i] == '"')
                quoted = !quoted;
            else
                arg += commandLine[i];
        }
        args.push_back(std::move(arg));
    }
    return args;
}

std::vector<std::string> ArgumentsAfterProgramName(std::string_view commandLine)
{
    std::vector<std::string> args = SplitCommandLine(commandLine);
    if (!args.empty())
        args.erase(args.begin());
    return args;
}

bool StartsHidden(const std::vector<std::string>& args)
{
    return !args.empty() && args.front() == "-hidden";
}

namespace {

// A switch is its name after a "-" or "/", in any letter case.
bool IsSwitch(const std::string& arg, std::string_view lowerName)
{
    return !arg.empty() && (arg[0] == '-' || arg[0] == '/') && LowerAscii(std::string_view(arg).substr(1)) == lowerName;
}

bool HasSwitch(const std::vector<std::string>& args, std::string_view lowerName)
{
    for (const std::string& arg : args) {
        if (IsSwitch(arg, lowerName))
            return true;
    }
    return false;
}

}

TComSwitch FindComSwitch(const std::vector<std::string>& args)
{
    for (const std::string& arg : args) {
        if (IsSwitch(arg, "regserver"))
            return TComSwitch::Register;
        if (IsSwitch(arg, "unregserver"))
            return TComSwitch::Unregister;
    }
    return TComSwitch::None;
}

TInstallerSwitch FindInstallerSwitch(const std::vector<std::string>& args)
{
    if (HasSwitch(args, "uninstall"))
        return HasSwitch(args, "purge") ? TInstallerSwitch::Purge : TInstallerSwitch::Uninstall;
    if (HasSwitch(args, "restore"))
        return TInstallerSwitch::Restore;
    if (HasSwitch(args, "dropbackup"))
        return TInstallerSwitch::DropBackup;
    if (HasSwitch(args, "close"))
        return TInstallerSwitch::Close;
    if (HasSwitch(args, "reopen"))
        return TInstallerSwitch::Reopen;
    return HasSwitch(args, "offerstart") ? TInstallerSwitch::OfferStart : TInstallerSwitch::None;
}

std::vector<std::string> InstallerSwitchOperands(const std::vector<std::string>& args)
{
    std::vector<std::string> operands;
    for (const std::string& arg : args) {
        if (arg.empty() || (arg[0] != '-' && arg[0] != '/'))
            operands.push_back(arg);
    }
    return operands;
}

std::string LocalServerCommand(std::string_view programPath)
{
    return "\"" + std::string(programPath) + "\"";
}

std::string LocalServerProgram(std::string_view command)
{
    const std::vector<std::string> parts = SplitCommandLine(command);
    return parts.empty() ? std::string() : parts.front();
}

std::string RuntimeErrorText(int error, std::uint32_t address)
{
    char text[64];
    std::snprintf(text, sizeof text, "Runtime error %3d at %08X", error, address);
    return text;
}

namespace {

bool IsOperand(const std::vector<std::string>& args, std::size_t at)
{
    return at < args.size() && !args[at].empty() && args[at][0] != '-' && args[at][0] != '/';
}

bool SelectsDataFolder(const std::string& arg)
{
    return LowerAscii(std::string_view(arg).substr(0, 6)) == "/data=";
}

// Reads the operand of the switch at i into operand, once; false when there is none or it was given before.
bool TakeOperand(const std::vector<std::string>& args, std::size_t& i, std::string& operand)
{
    if (!operand.empty() || !IsOperand(args, i + 1))
        return false;
    operand = args[++i];
    return true;
}

}

TCommandRequest FindProgramCommand(const std::vector<std::string>& args)
{
    if (!HasSwitch(args, "apply") && !HasSwitch(args, "export") && !HasSwitch(args, "check") && !HasSwitch(args, "log"))
        return {};
    TCommandRequest request;
    bool understood = true;
    for (std::size_t i = 0; i < args.size() && understood; ++i) {
        const std::string& arg = args[i];
        const bool command = IsSwitch(arg, "apply") || IsSwitch(arg, "export") || IsSwitch(arg, "check");
        if (command && request.Command != TProgramCommand::None)
            understood = false;
        else if (IsSwitch(arg, "apply") || IsSwitch(arg, "export")) {
            request.Command = IsSwitch(arg, "apply") ? TProgramCommand::Apply : TProgramCommand::Export;
            understood = TakeOperand(args, i, request.File);
        } else if (IsSwitch(arg, "check"))
            request.Command = TProgramCommand::Check;
        else if (IsSwitch(arg, "log"))
            understood = TakeOperand(args, i, request.LogFile);
        else
            understood = SelectsDataFolder(arg);
    }
    if (!understood || request.Command == TProgramCommand::None)
        return {TProgramCommand::NotUnderstood, {}, {}};
    return request;
}
