#include "wrapper/AAXEffectProcedures.h"

#include "wrapper/JuceAAX_Processor.h"

AAXEffectProcedures AAXEffectProcedures::get()
{
    AAXEffectProcedures procedures;
    procedures.createEffectParameters = &AAXClasses::JuceAAX_Processor::Create;
    procedures.processCallback = &AAXClasses::JuceAAX_Processor::algorithmProcessCallback;
    // The editor's Create is set here once the editor exists.
    return procedures;
}
