// Parameter objects: the automation round trip through the host, direct
// stores without it, steps, names, texts and typed access.

#include "aax/AAX_CBinaryDisplayDelegate.h"
#include "aax/AAX_CBinaryTaperDelegate.h"
#include "aax/AAX_CLinearTaperDelegate.h"
#include "aax/AAX_CNumberDisplayDelegate.h"
#include "aax/AAX_CParameter.h"
#include "aax/AAX_VAutomationDelegate.h"
#include "host/HostEnvironment.h"
#include "host/HostUnknown.h"

#include <gtest/gtest.h>

using namespace KestHost;

namespace
{
std::unique_ptr<AAX_CParameter<float>> makeFloat (const char* id = "7", float defaultValue = 0.5f, const char* name = "Glide_1")
{
    return std::make_unique<AAX_CParameter<float>> (id, AAX_CString (name), defaultValue, AAX_CLinearTaperDelegate<float, 0> (0.0f, 1.0f),
                                                    AAX_CNumberDisplayDelegate<float, 3u, 0u>(), true);
}

std::unique_ptr<AAX_CParameter<bool>> makeBypass()
{
    return std::make_unique<AAX_CParameter<bool>> ("MasterBypassID", AAX_CString ("Master Bypass"), false, AAX_CBinaryTaperDelegate<bool>(),
                                                   AAX_CBinaryDisplayDelegate<bool> ("bypass", "on"), true);
}

struct Automated
{
    HostEnvironment environment;
    AAX_VAutomationDelegate automation { &environment.hostUnknown() };
};
} // namespace

TEST (ParameterObject, WithAutomationAChangeIsTouchRequestReleaseAndWaitsForTheHost)
{
    Automated host;
    auto parameter = makeFloat();
    parameter->SetAutomationDelegate (&host.automation);
    host.environment.clearLog();

    parameter->SetNormalizedValue (0.25);
    EXPECT_EQ (host.environment.callLog(), (std::vector<std::string> {
                                               "automation [7] PostTouchRequest \"7\"",
                                               "automation [5] PostSetValueRequest \"7\" 0.250000",
                                               "automation [8] PostReleaseRequest \"7\"",
                                           }));
    EXPECT_EQ (parameter->GetNormalizedValue(), 0.5) << "not stored before the host reports it";

    host.environment.clearLog();
    parameter->UpdateNormalizedValue (0.25);
    parameter->UpdateNormalizedValue (0.25);
    EXPECT_EQ (parameter->GetNormalizedValue(), 0.25);
    EXPECT_EQ (host.environment.callLog(), (std::vector<std::string> { "automation [6] PostCurrentValue \"7\" 0.250000" }))
        << "the current value is posted once; an unchanged update posts nothing";

    host.environment.clearLog();
    parameter->SetNormalizedValue (1.7);
    ASSERT_EQ (host.environment.callLog().size(), 3u);
    EXPECT_EQ (host.environment.callLog()[1], "automation [5] PostSetValueRequest \"7\" 1.000000") << "clamped by the taper";
}

TEST (ParameterObject, WithoutAutomationAChangeIsStoredAtOnce)
{
    auto parameter = makeFloat();
    parameter->SetNormalizedValue (0.25);
    EXPECT_EQ (parameter->GetNormalizedValue(), 0.25);
    parameter->SetNormalizedValue (1.7);
    EXPECT_EQ (parameter->GetNormalizedValue(), 1.0);

    parameter->SetNormalizedDefaultValue (2.0);
    EXPECT_EQ (parameter->GetNormalizedDefaultValue(), 1.0);
    parameter->SetNormalizedValue (0.3);
    parameter->SetToDefaultValue();
    EXPECT_EQ (parameter->GetNormalizedValue(), 1.0);
}

TEST (ParameterObject, RegistersWithTheHostAndUnregistersWhenDeleted)
{
    Automated host;
    auto parameter = makeFloat ("12");
    parameter->SetAutomationDelegate (&host.automation);
    parameter.reset();
    EXPECT_EQ (host.environment.callLog(), (std::vector<std::string> {
                                               "automation [3] RegisterParameter \"12\"",
                                               "automation [4] UnregisterParameter \"12\"",
                                           }));
}

TEST (ParameterObject, BypassStoresAnyPositiveValueAsOnAndPostsTheHostsValue)
{
    Automated host;
    auto bypass = makeBypass();
    bypass->SetAutomationDelegate (&host.automation);
    host.environment.clearLog();

    bypass->UpdateNormalizedValue (0.3);
    EXPECT_EQ (host.environment.callLog(), (std::vector<std::string> { "automation [6] PostCurrentValue \"MasterBypassID\" 0.300000" }));
    EXPECT_EQ (bypass->GetNormalizedValue(), 1.0);

    AAX_CString text;
    EXPECT_TRUE (bypass->GetValueString (&text));
    EXPECT_STREQ (text.Get(), "on");
    bypass->UpdateNormalizedValue (0.0);
    EXPECT_TRUE (bypass->GetValueStringOfLength (2, &text));
    EXPECT_STREQ (text.Get(), "bypass");
}

TEST (ParameterObject, StepsDefaultTo128AndQuantiseTheValue)
{
    auto parameter = makeFloat();
    EXPECT_EQ (parameter->GetNumberOfSteps(), 128u);
    parameter->SetType (AAX_eParameterType_Discrete);
    EXPECT_EQ (parameter->GetNumberOfSteps(), 128u) << "the type alone never changes the count";

    parameter->SetNumberOfSteps (5);
    parameter->SetNormalizedValue (0.3);
    EXPECT_EQ (parameter->GetStepValue(), 1u);
    parameter->SetStepValue (3);
    EXPECT_EQ (parameter->GetNormalizedValue(), 0.75);
    parameter->SetStepValue (9);
    EXPECT_EQ (parameter->GetNormalizedValue(), 1.0);

    parameter->SetNumberOfSteps (1);
    EXPECT_EQ (parameter->GetStepValue(), 0u);
    parameter->SetStepValue (0);
    EXPECT_EQ (parameter->GetNormalizedValue(), 1.0) << "one step: setting a step does nothing";
}

TEST (ParameterObject, IdentifierIsCutTo31AndShortenedNamesChooseTheLongestThatFits)
{
    const std::string longId (40, 'x');
    auto parameter = makeFloat (longId.c_str());
    EXPECT_EQ (std::string (parameter->Identifier()), longId.substr (0, 31));

    parameter->AddShortenedName (AAX_CString ("Glid"));
    EXPECT_STREQ (parameter->ShortenedName (7).Get(), "Glide_1");
    EXPECT_STREQ (parameter->ShortenedName (5).Get(), "Glid");
    EXPECT_STREQ (parameter->ShortenedName (2).Get(), "Glid") << "never the full name when a shortened one exists";
    parameter->AddShortenedName (AAX_CString ("G"));
    EXPECT_STREQ (parameter->ShortenedName (3).Get(), "G");
    parameter->ClearShortenedNames();
    EXPECT_STREQ (parameter->ShortenedName (2).Get(), "Glide_1");
}

TEST (ParameterObject, TextConversionsCheckTheTapersRange)
{
    auto parameter = makeFloat();
    double normalized = -1.0;
    EXPECT_TRUE (parameter->GetNormalizedValueFromString (AAX_CString ("0.75"), &normalized));
    EXPECT_EQ (normalized, 0.75);
    EXPECT_FALSE (parameter->GetNormalizedValueFromString (AAX_CString ("2"), &normalized));
    EXPECT_EQ (normalized, 1.0);

    AAX_CString text;
    EXPECT_TRUE (parameter->GetStringFromNormalizedValueOfLength (0.5, 3, text));
    EXPECT_STREQ (text.Get(), "0.5");

    EXPECT_FALSE (parameter->SetValueFromString (AAX_CString ("abc")));
    EXPECT_EQ (parameter->GetNormalizedValue(), 0.5);
}

TEST (ParameterObject, EachTypeAnswersOnlyItsOwnTypedAccessors)
{
    auto parameter = makeFloat ("3", 0.25f);
    int32_t integer = 42;
    bool flag = true;
    float value = 0.0f;
    EXPECT_FALSE (parameter->GetValueAsInt32 (&integer));
    EXPECT_FALSE (parameter->GetValueAsBool (&flag));
    EXPECT_EQ (integer, 42);
    EXPECT_TRUE (flag);
    EXPECT_TRUE (parameter->GetValueAsFloat (&value));
    EXPECT_EQ (value, 0.25f);
    EXPECT_FALSE (parameter->SetValueWithDouble (0.9));
    EXPECT_TRUE (parameter->SetValueWithFloat (0.9f));
    EXPECT_EQ (parameter->GetValue(), 0.9f);

    auto bypass = makeBypass();
    EXPECT_FALSE (bypass->GetValueAsFloat (&value));
    EXPECT_TRUE (bypass->SetValueWithBool (true));
    EXPECT_TRUE (bypass->GetValueAsBool (&flag));
    EXPECT_TRUE (flag);
}

TEST (ParameterObject, ATextBelowTheRangeIsRefusedLikeOneAboveItAndBothEndsAreTaken)
{
    auto parameter = makeFloat();
    const std::tuple<const char*, bool, double> texts[] { { "-1", false, 0.0 },    { "-0.001", false, 0.0 }, { "0", true, 0.0 },
                                                          { "1", true, 1.0 },      { "1.001", false, 1.0 },  { "0.25 dB", true, 0.25 } };
    for (auto& [text, taken, normalized] : texts)
    {
        SCOPED_TRACE (text);
        double out = -7.0;
        EXPECT_EQ (parameter->GetNormalizedValueFromString (AAX_CString (text), &out), taken);
        EXPECT_EQ (out, normalized);
    }
    EXPECT_EQ (parameter->GetNormalizedValue(), 0.5) << "reading a text sets nothing";
}
