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

TComSwitch FindComSwitch(const std::vector<std::string>& args)
{
    for (const std::string& arg : args) {
        if (arg.empty() || (arg[0] != '-' && arg[0] != '/'))
            continue;
        const std::string name = LowerAscii(std::string_view(arg).substr(1));
        if (name == "regserver")
            return TComSwitch::Register;
        if (name == "unregserver")
            return TComSwitch::Unregister;
    }
    return TComSwitch::None;
}

std::string RuntimeErrorText(int error, std::uint32_t address)
{
    char text[64];
    std::snprintf(text, sizeof text, "Runtime error %3d at %08X", error, address);
    return text;
}
