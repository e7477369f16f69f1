#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace KestHost
{
/** One option of a command as its table row: the name, what its value is,
    its line in the usage, what is allowed (quoted when a value is refused)
    and the rule that takes a value, false when the value is not allowed. */
struct CommandOption
{
    std::string name;      // "--rate"
    std::string valueName; // "HZ"
    std::string help;      // "sample rate (48000)"
    std::string allowed;   // "give a whole number of hertz from 8000 to 384000"
    std::function<bool (const std::string& value)> take;
};

/** Reads a command's arguments against its option table.  Every option
    takes one value and may be given once; "--help" and "-h" ask for the
    usage.  Any thread. */
class CommandLine
{
public:
    CommandLine() = delete;

    struct Parsed
    {
        bool helpAsked = false;
        std::string error; // empty when every argument was taken
    };

    static Parsed parse (const std::vector<CommandOption>& table, const std::vector<std::string>& arguments);

    /** "usage: kest-host COMMAND [OPTIONS]" and one line per option. */
    static std::string usage (const std::string& command, const std::vector<CommandOption>& table);

    /** `--name "value" is not allowed: allowed` (the value quoted, so an empty
        one shows). */
    static std::string refusal (const std::string& name, const std::string& value, const std::string& allowed);

    /** Decimal digits only, within [lowest, highest]. */
    static bool wholeNumber (const std::string& text, int64_t lowest, int64_t highest, int64_t& value);

    /** A finite decimal number within [lowest, highest]. */
    static bool number (const std::string& text, double lowest, double highest, double& value);

    /** Rules for option rows: any non-empty text; a whole number within
        [lowest, highest]; one of the numbers allowed. */
    static std::function<bool (const std::string&)> pathInto (std::string& target);
    static std::function<bool (const std::string&)> wholeNumberInto (int& target, int lowest, int highest);
    static std::function<bool (const std::string&)> oneOf (int& target, std::vector<int> allowed);

    /** A file a run reads or writes, as its option named it (empty: none). */
    struct NamedFile
    {
        const char* option;
        std::string path;
        const char* role;               // "the state file this run reads"
        bool checkedByItsLoader = false; // its own loader says what is wrong with it
    };

    /** What is wrong with the files a run names, or empty: an input that is
        not a readable file, an output that exists but is not a regular file,
        whose folder is missing, or that is an input or another output of the
        run.  Main thread. */
    static std::string checkFiles (const std::vector<NamedFile>& inputs, const std::vector<NamedFile>& outputs);
};
} // namespace KestHost
