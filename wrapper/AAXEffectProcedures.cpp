#include "wrapper/AAXEffectProcedures.h"

#include "wrapper/JuceAAX_GUI.h"
#include "wrapper/JuceAAX_Processor.h"

AAXEffectProcedures AAXEffectProcedures::get()
{
    AAXEffectProcedures procedures;
    procedures.createEffectParameters = &AAXClasses::JuceAAX_Processor::Create;
    procedures.createGUI = &AAXClasses::JuceAAX_GUI::Create;
    procedures.processCallback = &AAXClasses::JuceAAX_Processor::algorithmProcessCallback;
    return procedures;
}
