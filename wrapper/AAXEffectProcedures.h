#pragma once

#include "platform/AAXHostInterfaces.h"

/** The procedures that the description hands to the host: the creation
    procedures of the effect-parameters object (procedure identifier 0) and of
    the GUI object (identifier 1), and the process procedure of every variant.

    This is the one place where they are joined to the description
    (AAXEffectProcedures.cpp).
*/
struct AAXEffectProcedures
{
    AAX_CreateObjectProc createEffectParameters = nullptr;
    AAX_CreateObjectProc createGUI = nullptr;
    AAX_ProcessProc processCallback = nullptr;

    /** Registering thread. */
    static AAXEffectProcedures get();
};

constexpr uint32_t AAXProcID_EffectParameters = 0;
constexpr uint32_t AAXProcID_EffectGUI = 1;
