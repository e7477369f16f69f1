#include "host/CommandLine.h"

#include "host/ReplacingFile.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <cstdlib>
#include <map>

namespace KestHost
{
namespace
{
/** What keeps path from being read as a file, or empty. */
std::string inputProblem (const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const auto status = fs::status (path, error);
    if (! fs::exists (status))
        return "there is no such file";
    if (fs::is_directory (status))
        return "it is a folder, not a file";
    if (! fs::is_regular_file (status))
        return "it is not a regular file";
    if (::access (path.c_str(), R_OK) != 0)
        return std::string ("it cannot be read: ") + std::strerror (errno);
    return {};
}
} // namespace

CommandLine::Parsed CommandLine::parse (const std::vector<CommandOption>& table, const std::vector<std::string>& arguments)
{
    Parsed parsed;
    std::map<std::string, std::string> given;
    for (size_t i = 0; i < arguments.size(); ++i)
    {
        const auto& name = arguments[i];
        if (name == "--help" || name == "-h")
        {
            parsed.helpAsked = true;
            continue;
        }

        const CommandOption* option = nullptr;
        for (auto& row : table)
            if (row.name == name)
                option = &row;
        if (option == nullptr)
        {
            parsed.error = (name.rfind ("-", 0) == 0 ? "unknown option \"" : "unexpected argument \"") + name + "\"";
            return parsed;
        }

        if (i + 1 >= arguments.size())
        {
            parsed.error = name + " needs a value: " + option->allowed;
            return parsed;
        }
        const auto& value = arguments[++i];
        if (const auto earlier = given.find (name); earlier != given.end())
        {
            parsed.error = name + " is given twice (\"" + earlier->second + "\" and \"" + value + "\"): give it once";
            return parsed;
        }
        given[name] = value;

        if (! option->take (value))
        {
            parsed.error = refusal (name, value, option->allowed);
            return parsed;
        }
    }
    return parsed;
}

std::string CommandLine::usage (const std::string& command, const std::vector<CommandOption>& table)
{
    std::string text = "usage: kest-host " + command + " [OPTIONS]\n";
    size_t width = 6; // "--help"
    for (auto& option : table)
        width = std::max (width, option.name.size() + 1 + option.valueName.size());
    for (auto& option : table)
    {
        const auto left = option.name + " " + option.valueName;
        text += "  " + left + std::string (width + 3 - left.size(), ' ') + option.help + "\n";
    }
    text += "  --help" + std::string (width + 3 - 6, ' ') + "print this and stop\n";
    return text;
}

std::string CommandLine::refusal (const std::string& name, const std::string& value, const std::string& allowed)
{
    return name + " \"" + value + "\" is not allowed: " + allowed;
}

bool CommandLine::wholeNumber (const std::string& text, int64_t lowest, int64_t highest, int64_t& value)
{
    if (text.empty() || text.size() > 18 || text.find_first_not_of ("0123456789") != std::string::npos)
        return false;
    const auto parsed = std::strtoll (text.c_str(), nullptr, 10);
    if (parsed < lowest || parsed > highest)
        return false;
    value = parsed;
    return true;
}

bool CommandLine::number (const std::string& text, double lowest, double highest, double& value)
{
    if (text.empty() || text.find_first_not_of ("0123456789.") != std::string::npos)
        return false;
    char* end = nullptr;
    const auto parsed = std::strtod (text.c_str(), &end);
    if (end == nullptr || *end != '\0' || ! std::isfinite (parsed) || parsed < lowest || parsed > highest)
        return false;
    value = parsed;
    return true;
}
std::function<bool (const std::string&)> CommandLine::pathInto (std::string& target)
{
    return [&target] (const std::string& value)
    {
        target = value;
        return ! value.empty();
    };
}

std::function<bool (const std::string&)> CommandLine::wholeNumberInto (int& target, int lowest, int highest)
{
    return [&target, lowest, highest] (const std::string& value)
    {
        int64_t number = 0;
        if (! wholeNumber (value, lowest, highest, number))
            return false;
        target = (int) number;
        return true;
    };
}

std::function<bool (const std::string&)> CommandLine::oneOf (int& target, std::vector<int> allowed)
{
    return [&target, allowed] (const std::string& value)
    {
        for (int candidate : allowed)
            if (value == std::to_string (candidate))
            {
                target = candidate;
                return true;
            }
        return false;
    };
}

std::string CommandLine::checkFiles (const std::vector<NamedFile>& inputs, const std::vector<NamedFile>& outputs)
{
    for (auto& input : inputs)
        if (! input.path.empty() && ! input.checkedByItsLoader)
            if (const auto problem = inputProblem (input.path); ! problem.empty())
                return refusal (input.option, input.path, problem);

    for (size_t i = 0; i < outputs.size(); ++i)
    {
        const auto& output = outputs[i];
        if (output.path.empty())
            continue;
        if (const auto problem = ReplacingFile::problemWith (output.path); ! problem.empty())
            return refusal (output.option, output.path, problem + "; give the path of a file to write");
        for (auto& input : inputs)
            if (! input.path.empty() && ReplacingFile::sameFile (output.path, input.path))
                return refusal (output.option, output.path, std::string ("it is ") + input.role + " (" + input.option + "); give another path");
        for (size_t j = i + 1; j < outputs.size(); ++j)
            if (! outputs[j].path.empty() && ReplacingFile::sameFile (output.path, outputs[j].path))
                return refusal (output.option, output.path, std::string ("it is ") + outputs[j].role + " (" + outputs[j].option
                                                                + "); give another path");
    }
    return {};
}
} // namespace KestHost
