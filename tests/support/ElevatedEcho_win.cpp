// Plays the copy started as administrator for the channel's tests: reads the request through the
// real connection and says each item back, a line each; exits with the number of items, 100 when
// the request was refused, 102 when the pipe failed.
#include "script/ElevatedChannel.h"

#include <exception>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4 || std::string(argv[1]) != "/elevated")
        return 101;
    const std::string pipe = argv[2];
    try {
        TElevatedConnection connection(std::wstring(pipe.begin(), pipe.end()), argv[3]);
        for (const TElevatedItem& item : connection.Request().Items)
            connection.Say(std::to_string(static_cast<int>(item.Action)) + " " + item.Subject + " " + item.Value + "\n");
        return static_cast<int>(connection.Request().Items.size());
    } catch (const EElevatedRequest&) {
        return 100;
    } catch (const std::exception&) {
        return 102;
    }
}
