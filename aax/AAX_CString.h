#pragma once

#include "aax/AAX_IString.h"

#include <iosfwd>
#include <string>

/** The layer's byte string.  Lengths and positions count bytes; no encoding
    is applied.  Numbers are written and read in the classic "C" form whatever
    the process locale is.

    Positions above Length are refused with std::out_of_range and leave the
    text unchanged.  A null text given to the constructors, Set, assignment
    or comparison reads as the empty text; other text arguments must not be
    null.

    One thread at a time; copies are independent values.
*/
class AAX_CString : public AAX_IString
{
public:
    static constexpr uint32_t kMaxLength = 0xFFFFFFFEu;

    AAX_CString() = default;
    AAX_CString (const char* text);
    AAX_CString (const AAX_CString& other) = default;
    AAX_CString (const AAX_IString& other);
    ~AAX_CString() override = default;

    uint32_t Length() const override;
    uint32_t MaxLength() const override;
    const char* Get() const override;
    void Set (const char* text) override;
    AAX_IString& operator= (const AAX_IString& other) override;
    AAX_IString& operator= (const char* text) override;
    AAX_CString& operator= (const AAX_CString& other);

    const char* CString() const;
    void Clear();
    bool Empty() const;

    AAX_CString& Erase (uint32_t position, uint32_t count);
    AAX_CString& Append (const AAX_CString& other);
    AAX_CString& Append (const char* text);
    AAX_CString& operator+= (const AAX_CString& other);
    AAX_CString& operator+= (const char* text);
    AAX_CString& AppendNumber (double value, int32_t precision);
    AAX_CString& AppendNumber (int32_t value);
    AAX_CString& Insert (uint32_t position, const AAX_CString& other);
    AAX_CString& Insert (uint32_t position, const char* text);
    AAX_CString& InsertNumber (uint32_t position, double value, int32_t precision);
    AAX_CString& InsertNumber (uint32_t position, int32_t value);
    AAX_CString& Replace (uint32_t position, uint32_t count, const AAX_CString& other);
    AAX_CString& Replace (uint32_t position, uint32_t count, const char* text);
    void SubString (uint32_t position, uint32_t count, AAX_IString* outString) const;

    /** Parse the leading number; on failure out is 0 and the answer false. */
    bool ToDouble (double* outValue) const;
    bool ToInteger (int32_t* outValue) const;

    bool operator== (const AAX_CString& other) const;
    bool operator== (const char* text) const;
    bool operator!= (const AAX_CString& other) const;
    bool operator!= (const char* text) const;
    bool operator< (const AAX_CString& other) const;
    bool operator> (const AAX_CString& other) const;

    /** Unchecked: index below Length (the const form may read the NUL at Length). */
    const char& operator[] (uint32_t index) const;
    char& operator[] (uint32_t index);

    friend std::ostream& operator<< (std::ostream& stream, const AAX_CString& string);
    friend std::istream& operator>> (std::istream& stream, AAX_CString& string);

private:
    std::string text;
};
