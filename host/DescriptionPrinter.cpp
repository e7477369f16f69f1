#include "host/DescriptionPrinter.h"

#include "host/HostCollection.h"
#include "host/HostComponentDescriptor.h"
#include "host/HostEffectDescriptor.h"
#include "host/HostPropertyMap.h"

#include <cstdio>
#include <sstream>

namespace KestHost
{
namespace
{
/** What a host makes with a creation procedure of the given identifier. */
std::string procedureRole (uint32_t procId)
{
    switch (procId)
    {
        case 0: return " (creates the effect parameters)";
        case 1: return " (creates the view)";
        default: return "";
    }
}

std::string hex (uint32_t value, int digits)
{
    char text[16];
    std::snprintf (text, sizeof (text), "0x%0*X", digits, value);
    return text;
}

std::string fourCharacters (uint32_t value)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const auto c = static_cast<char> ((value >> shift) & 0xFF);
        if (c < 32 || c > 126)
            return {};
        text += c;
    }
    return " '" + text + "'";
}

std::string versionText (uint32_t version)
{
    return std::to_string (version >> 16) + "." + std::to_string ((version >> 8) & 0xFF) + "." + std::to_string (version & 0xFF);
}

std::string joinQuoted (const std::vector<std::string>& texts)
{
    std::string joined;
    for (auto& text : texts)
        joined += (joined.empty() ? "\"" : ", \"") + text + "\"";
    return joined;
}

void printVariant (std::ostream& out, int number, const HostComponentDescriptor& component)
{
    out << "  variant " << number << " (" << component.label() << ")\n";
    for (auto& field : component.fields())
        out << "    " << field << "\n";

    for (auto& procedure : component.processProcedures())
    {
        out << "    process procedure: " << (procedure.procedure != nullptr ? "set" : "none") << "\n";
        if (procedure.properties == nullptr)
            continue;
        out << "    properties (" << procedure.properties->label() << "):\n";
        for (auto& [id, value] : procedure.properties->properties())
            out << "      " << id << " = " << value << " (" << hex (static_cast<uint32_t> (value), 8) << fourCharacters (static_cast<uint32_t> (value)) << ")\n";
    }
}
} // namespace

std::string printDescription (const HostCollection& collection)
{
    std::ostringstream out;
    out << "package: " << joinQuoted (collection.packageNames()) << "\n";
    out << "manufacturer: \"" << collection.manufacturerName() << "\"\n";
    out << "version: " << versionText (collection.packageVersion()) << " (" << hex (collection.packageVersion(), 5) << ")\n";

    for (auto& [effectId, effect] : collection.effects())
    {
        out << "effect \"" << effectId << "\"\n";
        out << "  names: " << joinQuoted (effect->names()) << "\n";
        for (auto category : effect->categories())
            out << "  category: " << category << " (" << hex (category, 3) << ")\n";
        for (auto& procedure : effect->procedures())
            out << "  procedure " << procedure.procId << procedureRole (procedure.procId) << ": "
                << (procedure.procedure != nullptr ? "set" : "none") << "\n";
        for (auto& other : effect->otherDeclarations())
            out << "  " << other << "\n";

        int variant = 0;
        for (auto* component : effect->components())
            printVariant (out, variant++, *component);
    }
    return out.str();
}
} // namespace KestHost
