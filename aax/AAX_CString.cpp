#include "aax/AAX_CString.h"

#include <cstring>
#include <istream>
#include <locale>
#include <ostream>
#include <sstream>
#include <stdexcept>

namespace
{
std::string fixedPointText (double value, int32_t precision)
{
    std::ostringstream stream;
    stream.imbue (std::locale::classic());
    stream.setf (std::ios::fixed, std::ios::floatfield);
    stream.precision (precision);
    stream << value;
    return stream.str();
}

std::string integerText (int32_t value)
{
    std::ostringstream stream;
    stream.imbue (std::locale::classic());
    stream << value;
    return stream.str();
}

template <typename Number>
bool parseLeading (const std::string& text, Number* outValue)
{
    std::istringstream stream (text);
    stream.imbue (std::locale::classic());
    Number value {};
    if (stream >> value)
    {
        *outValue = value;
        return true;
    }
    *outValue = Number {};
    return false;
}

/** Null, from the host or another string class, reads as the empty text. */
const char* orEmpty (const char* source) noexcept
{
    return source != nullptr ? source : "";
}
} // namespace

AAX_CString::AAX_CString (const char* source) : text (orEmpty (source)) {}

AAX_CString::AAX_CString (const AAX_IString& other) : text (orEmpty (other.Get())) {}

uint32_t AAX_CString::Length() const { return static_cast<uint32_t> (text.size()); }
uint32_t AAX_CString::MaxLength() const { return kMaxLength; }
const char* AAX_CString::Get() const { return text.c_str(); }
void AAX_CString::Set (const char* source) { text = orEmpty (source); }

AAX_IString& AAX_CString::operator= (const AAX_IString& other)
{
    text = orEmpty (other.Get());
    return *this;
}

AAX_IString& AAX_CString::operator= (const char* source)
{
    text = orEmpty (source);
    return *this;
}

AAX_CString& AAX_CString::operator= (const AAX_CString& other)
{
    text = other.text;
    return *this;
}

const char* AAX_CString::CString() const { return text.c_str(); }
void AAX_CString::Clear() { text.clear(); }
bool AAX_CString::Empty() const { return text.empty(); }

AAX_CString& AAX_CString::Erase (uint32_t position, uint32_t count)
{
    text.erase (position, count);
    return *this;
}

AAX_CString& AAX_CString::Append (const AAX_CString& other) { return Append (other.CString()); }

AAX_CString& AAX_CString::Append (const char* source)
{
    text.append (source);
    return *this;
}

AAX_CString& AAX_CString::operator+= (const AAX_CString& other) { return Append (other); }
AAX_CString& AAX_CString::operator+= (const char* source) { return Append (source); }

AAX_CString& AAX_CString::AppendNumber (double value, int32_t precision)
{
    text += fixedPointText (value, precision);
    return *this;
}

AAX_CString& AAX_CString::AppendNumber (int32_t value)
{
    text += integerText (value);
    return *this;
}

AAX_CString& AAX_CString::Insert (uint32_t position, const AAX_CString& other) { return Insert (position, other.CString()); }

AAX_CString& AAX_CString::Insert (uint32_t position, const char* source)
{
    text.insert (position, source);
    return *this;
}

AAX_CString& AAX_CString::InsertNumber (uint32_t position, double value, int32_t precision)
{
    if (position > text.size())
        throw std::out_of_range ("AAX_CString::InsertNumber");
    text.insert (position, fixedPointText (value, precision));
    return *this;
}

AAX_CString& AAX_CString::InsertNumber (uint32_t position, int32_t value)
{
    if (position > text.size())
        throw std::out_of_range ("AAX_CString::InsertNumber");
    text.insert (position, integerText (value));
    return *this;
}

AAX_CString& AAX_CString::Replace (uint32_t position, uint32_t count, const AAX_CString& other)
{
    return Replace (position, count, other.CString());
}

AAX_CString& AAX_CString::Replace (uint32_t position, uint32_t count, const char* source)
{
    text.replace (position, count, source);
    return *this;
}

void AAX_CString::SubString (uint32_t position, uint32_t count, AAX_IString* outString) const
{
    *outString = text.substr (position, count).c_str();
}

bool AAX_CString::ToDouble (double* outValue) const { return parseLeading (text, outValue); }
bool AAX_CString::ToInteger (int32_t* outValue) const { return parseLeading (text, outValue); }

bool AAX_CString::operator== (const AAX_CString& other) const { return std::strcmp (CString(), other.CString()) == 0; }
bool AAX_CString::operator== (const char* source) const { return std::strcmp (CString(), orEmpty (source)) == 0; }
bool AAX_CString::operator!= (const AAX_CString& other) const { return ! (*this == other); }
bool AAX_CString::operator!= (const char* source) const { return ! (*this == source); }
bool AAX_CString::operator< (const AAX_CString& other) const { return std::strcmp (CString(), other.CString()) < 0; }
bool AAX_CString::operator> (const AAX_CString& other) const { return std::strcmp (CString(), other.CString()) > 0; }

const char& AAX_CString::operator[] (uint32_t index) const { return text.c_str()[index]; }
char& AAX_CString::operator[] (uint32_t index) { return text[index]; }

std::ostream& operator<< (std::ostream& stream, const AAX_CString& string)
{
    return stream.write (string.text.data(), static_cast<std::streamsize> (string.text.size()));
}

std::istream& operator>> (std::istream& stream, AAX_CString& string)
{
    return stream >> string.text;
}
