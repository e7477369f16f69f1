#pragma once

#include "platform/AAXHostInterfaces.h"

class AAX_ICollection;

/** The framework's description callback: describes the one instrument effect
    with its mono and stereo variants into the collection.  Ignores the result
    of every description call; answers AAX_ERROR_NULL_OBJECT when it gets no
    effect descriptor, otherwise AAX_SUCCESS.

    Registering thread.
*/
AAX_Result GetEffectDescriptions (AAX_ICollection* collection);
