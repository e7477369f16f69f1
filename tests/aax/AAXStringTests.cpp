// The layer's byte string: editing, numbers in and out whatever the process
// locale, comparisons and NUL handling.

#include "aax/AAX_CString.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <sstream>
#include <stdexcept>

namespace
{
/** A locale that writes and reads numbers with a decimal comma and grouped
    thousands, installed process-wide for one test. */
struct CommaDecimalPoint : std::numpunct<char>
{
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

class ForeignLocale
{
public:
    ForeignLocale() : previous (std::locale::global (std::locale (std::locale::classic(), new CommaDecimalPoint))) {}
    ~ForeignLocale() { std::locale::global (previous); }

private:
    std::locale previous;
};
} // namespace

TEST (AAXString, EmptyFromNullAndFixedMaximumLength)
{
    const AAX_CString fromNull (static_cast<const char*> (nullptr));
    EXPECT_EQ (fromNull.Length(), 0u);
    EXPECT_TRUE (fromNull.Empty());
    EXPECT_STREQ (fromNull.Get(), "");
    EXPECT_EQ (fromNull.MaxLength(), 4294967294u);
}

TEST (AAXString, EditsCutCountsAtTheEndAndRefuseBadPositionsUnchanged)
{
    AAX_CString text ("abcdef");
    EXPECT_STREQ (text.Erase (2, 3).Get(), "abf");
    AAX_CString other ("abcdef");
    EXPECT_STREQ (other.Erase (1, 10).Get(), "a");

    AAX_CString edited ("Kest");
    edited.Insert (0, "Korvalden ").Append (" ").AppendNumber (2);
    EXPECT_STREQ (edited.Get(), "Korvalden Kest 2");
    EXPECT_STREQ (edited.Replace (10, 100, AAX_CString ("Orva")).Get(), "Korvalden Orva");

    AAX_CString piece;
    edited.SubString (10, 99, &piece);
    EXPECT_STREQ (piece.Get(), "Orva");

    EXPECT_THROW (edited.Erase (15, 1), std::out_of_range);
    EXPECT_THROW (edited.InsertNumber (15, 3.5, 1), std::out_of_range);
    EXPECT_THROW (edited.Replace (20, 1, "x"), std::out_of_range);
    EXPECT_STREQ (edited.Get(), "Korvalden Orva");
}

TEST (AAXString, NumbersAreWrittenTheSameInAnyLocale)
{
    ForeignLocale foreign;
    AAX_CString text;
    text.AppendNumber (3.14159, 3);
    text += "|";
    text.AppendNumber (2.0, 0);
    text += "|";
    text.AppendNumber (-7);
    text += "|";
    text.AppendNumber (1234567);
    text += "|";
    text.AppendNumber (12345.678, 1);
    text.InsertNumber (0, 0.5, 2);
    EXPECT_STREQ (text.Get(), "0.503.142|2|-7|1234567|12345.7");
}

TEST (AAXString, NumbersAreReadTheSameInAnyLocale)
{
    ForeignLocale foreign;
    double value = -1;
    EXPECT_TRUE (AAX_CString ("12.5abc").ToDouble (&value));
    EXPECT_EQ (value, 12.5);
    EXPECT_TRUE (AAX_CString ("  -0.25").ToDouble (&value));
    EXPECT_EQ (value, -0.25);
    EXPECT_FALSE (AAX_CString ("abc").ToDouble (&value));
    EXPECT_EQ (value, 0.0);
    value = -1;
    EXPECT_FALSE (AAX_CString ("").ToDouble (&value));
    EXPECT_EQ (value, 0.0);

    int32_t integer = -1;
    EXPECT_TRUE (AAX_CString ("1234.5").ToInteger (&integer));
    EXPECT_EQ (integer, 1234);
    EXPECT_FALSE (AAX_CString ("x1").ToInteger (&integer));
    EXPECT_EQ (integer, 0);
}

TEST (AAXString, ComparesBytewise)
{
    EXPECT_TRUE (AAX_CString ("B") < AAX_CString ("a"));
    EXPECT_TRUE (AAX_CString ("a") > AAX_CString ("B"));
    EXPECT_TRUE (AAX_CString ("Kest") == "Kest");
    EXPECT_TRUE (AAX_CString ("Kest") != AAX_CString ("kest"));
    EXPECT_TRUE (AAX_CString ("\xC3\xA9") > AAX_CString ("z")) << "bytes compare unsigned";
}

TEST (AAXString, InterfaceAssignmentStopsAtNulButCopiesKeepEverything)
{
    AAX_CString withNul ("ab");
    withNul[1] = '\0';
    withNul.Append ("cd"); // taken up to the first NUL of the whole text: nothing after "a"
    EXPECT_EQ (withNul.Length(), 4u);

    AAX_CString throughInterface;
    const AAX_IString& asInterface = withNul;
    throughInterface = asInterface;
    EXPECT_EQ (throughInterface.Length(), 1u);

    const AAX_CString copy (withNul);
    EXPECT_EQ (copy.Length(), 4u);
    EXPECT_EQ (copy[2], 'c');

    std::ostringstream out;
    out << copy;
    EXPECT_EQ (out.str(), std::string ("a\0cd", 4));
}

TEST (AAXString, WritableIndexChangesOnlyThisCopy)
{
    AAX_CString original ("Kest");
    AAX_CString copy (original);
    copy[0] = 'N';
    EXPECT_STREQ (copy.Get(), "Nest");
    EXPECT_STREQ (original.Get(), "Kest");
}

TEST (AAXString, ReadsOneWordFromAStream)
{
    std::istringstream in ("  Korvalden Kest");
    AAX_CString word;
    in >> word;
    EXPECT_STREQ (word.Get(), "Korvalden");
}

TEST (AAXString, NullTextReadsAsEmptyWhereverItIsGiven)
{
    AAX_CString text ("kept");
    text.Set (nullptr);
    EXPECT_STREQ (text.Get(), "");

    text = "again";
    text = static_cast<const char*> (nullptr);
    EXPECT_STREQ (text.Get(), "");

    struct NullString final : AAX_IString
    {
        uint32_t Length() const override { return 0; }
        uint32_t MaxLength() const override { return 0; }
        const char* Get() const override { return nullptr; }
        void Set (const char*) override {}
        AAX_IString& operator= (const AAX_IString&) override { return *this; }
        AAX_IString& operator= (const char*) override { return *this; }
    } hostString;
    text = "again";
    static_cast<AAX_IString&> (text) = hostString;
    EXPECT_STREQ (text.Get(), "");
    EXPECT_STREQ (AAX_CString (hostString).Get(), "");
    EXPECT_TRUE (text == static_cast<const char*> (nullptr));
}
