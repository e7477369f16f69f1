#include "wrapper/AAXEffectProcedures.h"

AAXEffectProcedures AAXEffectProcedures::get()
{
    AAXEffectProcedures procedures;
    // The processor's Create and algorithmProcessCallback, and the editor's
    // Create, are set here as their classes are added.
    return procedures;
}
