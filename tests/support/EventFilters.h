#pragma once

#include "tests/support/FakeDirtyCheckProcessor.h"

#include <algorithm>

/** What the host heard: gestures and notified values, without the processor's own stores. */
inline std::vector<FakeDirtyCheckProcessor::Event> hostEvents (FakeDirtyCheckProcessor& processor)
{
    auto events = processor.takeEvents();
    events.erase (std::remove_if (events.begin(), events.end(),
                                  [] (const auto& e) { return e.kind == FakeDirtyCheckProcessor::Event::set; }),
                  events.end());
    return events;
}

inline FakeDirtyCheckProcessor::Event beginOf (int index) { return { FakeDirtyCheckProcessor::Event::begin, index, 0.0f }; }
inline FakeDirtyCheckProcessor::Event endOf (int index) { return { FakeDirtyCheckProcessor::Event::end, index, 0.0f }; }
inline FakeDirtyCheckProcessor::Event valueOf (int index, float v) { return { FakeDirtyCheckProcessor::Event::value, index, v }; }
inline FakeDirtyCheckProcessor::Event setOf (int index, float v) { return { FakeDirtyCheckProcessor::Event::set, index, v }; }
