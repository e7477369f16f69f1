// The voice render in lanes: eight voices per group, one to two groups in
// flight.  Included, inside an anonymous namespace, by VoiceLanesSse2.cpp and
// VoiceLanesAvx2.cpp after each has defined the lane types for its
// instruction set:
//   F8  eight floats     D8  eight doubles     I8  eight 32-bit integers
// with exp2Lanes (F8) and groupsInFlight (1 or 2).  So each translation unit
// has its own copy of every function here, built for its own instructions:
// nothing the linker could pick from the wrong one.
//
// Per sample and group the control stage steps the smoothing ramps, the
// envelope, both LFOs, the glide, the oscillators, the mix, the cutoff note,
// the output gains and the amplifier curve; the cutoff step turns the cutoff
// note into the ladder coefficient.  Both write [sample][lane] rows that the
// audio stage (up-sampling, the ladder, the output saturator, down-sampling)
// then runs through.  Each lane takes exactly the correctly rounded single
// and double precision operations of Synth404::stepControls, stepCutoff and
// stepAudio in their order; branches become selections between values
// computed for every lane.  exp2Lanes reproduces exp2f to the bit; a new
// oscillator pitch takes its frequency from exp2DoubleLanes (within a unit in
// the last place of the float the voice computes).  The rare events (a new
// oscillator table, a new emphasis, an envelope stage change, a wrapped LFO,
// a tangent beyond pi / 4) go to scalar code for the lanes concerned.

// Operations every instruction set builds alike from its own.
inline F8 signBits() noexcept    { return F8::broadcast (-0.0f); }
inline F8 absOf (F8 a) noexcept  { return andNotLanes (signBits(), a); }
inline D8 absOf (D8 a) noexcept  { return andNotLanes (D8::broadcast (-0.0), a); }

inline D8 maskedBy (D8 a, const uint64_t* mask) noexcept
{
    return andLanes (a, D8::load ((const double*) (const void*) mask));
}

constexpr int groupLanes = VoiceLanes::lanesPerGroup;

/** The lane fields of one group. */
struct Group
{
    VoiceLanes& L;
    int base;

    F8 f (const float* lanes) const noexcept            { return F8::load (lanes + base); }
    void put (float* lanes, F8 v) const noexcept        { v.store (lanes + base); }
    D8 d (const double* lanes) const noexcept           { return D8::load (lanes + base); }
    void put (double* lanes, D8 v) const noexcept       { v.store (lanes + base); }
    I8 i (const int32_t* lanes) const noexcept          { return I8::load (lanes + base); }
    void put (int32_t* lanes, I8 v) const noexcept      { v.store (lanes + base); }
};

inline F8 catmullRomLanes (int tap, F8 t) noexcept
{
    const float* c = catmullRomCoefficients + 4 * tap;
    return ((F8::broadcast (c[0]) * t + F8::broadcast (c[1])) * t + F8::broadcast (c[2])) * t + F8::broadcast (c[3]);
}

/** (2 |phase| - 1) x amount in double precision, as float. */
inline F8 triangleLanes (F8 phase, F8 amount) noexcept
{
    return toFloat ((D8::broadcast (2.0) * absOf (toDouble (phase)) - D8::broadcast (1.0)) * toDouble (amount));
}

/** wrapLfoPhase in lanes: the lanes that passed 1 wrap in scalar code. */
inline F8 wrapLfoLanes (F8 phase) noexcept
{
    if (bitsOf (greaterThan (phase, F8::broadcast (1.0f))) == 0)
        return phase;
    alignas (32) float p[groupLanes];
    phase.store (p);
    for (float& x : p)
        x = wrapLfoPhase (x);
    return F8::load (p);
}

inline void stepRamps (const Group& g) noexcept
{
    auto& L = g.L;
    I8 left = g.i (L.rampLeft);
    const I8 one = I8::broadcast (1);
    if (bitsOf (asFloat (equal (left, I8::broadcast (0)))) == (1 << groupLanes) - 1)
        return;

    const F8 stepping = asFloat (greaterThan (left, one));
    const F8 last = asFloat (equal (left, one));
    for (int k = 0; k < VoiceLanes::numSmoothed; ++k)
    {
        F8 c = g.f (L.current[k]), inc = g.f (L.increment[k]);
        c = select (stepping, c + inc, c);
        c = select (last, g.f (L.target[k]), c);
        inc = select (last, F8::broadcast (0.0f), inc);
        g.put (L.current[k], c);
        g.put (L.increment[k], inc);
    }
    left = left - (greaterThan (left, I8::broadcast (0)) & one);
    g.put (L.rampLeft, left);
}

/** (pitch - 69) / 12, the octaves from A4, as a product with 1 / 12: within
    a unit in the last place of the quotient, so the float frequency made from
    it stays within a unit in the last place of the voice's own. */
inline D8 octavesFromA4 (D8 pitch) noexcept
{
    return (pitch - D8::broadcast (69.0)) * D8::broadcast (1.0 / 12.0);
}

/** (float) (440 exp2 (x)) for x within +-1000 octaves (zero elsewhere). */
inline F8 oscillatorHzFromOctaves (D8 x) noexcept
{
    const D8 safeX = andLanes (x, lessEqual (absOf (x), D8::broadcast (1000.0)));
    return toFloat (D8::broadcast (440.0) * exp2DoubleLanes (safeX));
}

/** (float) (440 exp2 ((pitch - 69) / 12)) for pitches within +-12000
    semitones of 69 (zero elsewhere). */
inline F8 oscillatorHzLanes (D8 pitch) noexcept
{
    return oscillatorHzFromOctaves (octavesFromA4 (pitch));
}

/** Synth404::setOscillatorPitch for the changed lanes of a group.  In lanes
    where the pitch is finite and the table in use still fits; the voice
    itself does the rest. */
inline void refreshOscillators (const Group& g, D8 oscPitch, int changed) noexcept
{
    auto& L = g.L;
    const F8 half = F8::broadcast (0.5f);
    const D8 x = octavesFromA4 (oscPitch);
    const int finite = bitsOf (lessEqual (absOf (x), D8::broadcast (1000.0)));
    const F8 hz = oscillatorHzFromOctaves (x);
    const F8 sampleRate = g.f (L.sampleRate);
    const F8 increment = minOf (hz, F8::broadcast (24000.0f)) / sampleRate;
    const F8 pulseIncrement = hz / sampleRate;

    // Synth404::selectTable's test that the table in use stays the choice.
    const F8 length = g.f (L.tableLength);
    const F8 longEnough = orLanes (greaterEqual (length, F8::broadcast ((float) BandlimitedWavetableSet::maxLength)),
                                   greaterThan (length * increment, half));
    const F8 shortest = orLanes (lessEqual (length, F8::broadcast ((float) BandlimitedWavetableSet::minLength)),
                                 notGreaterThan (length * half * increment, half));
    const int tableKept = bitsOf (andLanes (longEnough, shortest));

    F8 rising = hz * F8::broadcast (8.08e-6f) * half;
    rising = select (equalTo (rising, F8::broadcast (0.0f)), F8::broadcast (1e-10f), rising);
    F8 falling = toFloat (((oscPitch * D8::broadcast (4.3667e-6) - D8::broadcast (0.00015893)) * oscPitch
                           + D8::broadcast (0.0069212)) * D8::broadcast (0.395898));
    falling = select (equalTo (falling, F8::broadcast (0.0f)), F8::broadcast (1e-10f), falling);

    alignas (32) double pitches[groupLanes];
    alignas (32) float hzs[groupLanes], increments[groupLanes], pulseIncrements[groupLanes];
    alignas (32) float risings[groupLanes], fallings[groupLanes];
    oscPitch.store (pitches);
    hz.store (hzs);
    increment.store (increments);
    pulseIncrement.store (pulseIncrements);
    rising.store (risings);
    falling.store (fallings);

    for (int i = 0; i < groupLanes; ++i)
    {
        if ((changed >> i & 1) == 0)
            continue;
        const int lane = g.base + i;
        if ((finite & tableKept) >> i & 1)
        {
            L.lastOscPitch[lane] = pitches[i];
            L.oscHz[lane] = hzs[i];
            L.tableIncrement[lane] = increments[i];
            L.pulseIncrement[lane] = pulseIncrements[i];
            L.pulseRisingHalf[lane] = risings[i];
            L.pulseFallingHalf[lane] = fallings[i];
        }
        else
        {
            L.refreshOscillator (L, lane, pitches[i]);
        }
    }
}

/** Steps 1 to 13 and 18 of one sample of one group into row n. */
__attribute__ ((always_inline)) inline void stepControls (const Group& g, int n) noexcept
{
    auto& L = g.L;
    auto& rows = L.rows;
    const int base = g.base;
    const F8 zero = F8::broadcast (0.0f), one = F8::broadcast (1.0f);

    // 1. Smoothing.
    stepRamps (g);

    // 2. Envelope; a lane whose attack reaches 1 goes on to the decay.
    D8 level = g.d (L.level);
    level = level + ((g.d (L.envGoal) - level) * g.d (L.envCoef) + D8::broadcast ((double) 1e-15f));
    g.put (L.level, level);
    if (int reached = bitsOf (greaterEqual (level, D8::broadcast (1.0))))
    {
        for (int i = 0; i < groupLanes; ++i)
        {
            const int lane = base + i;
            if ((reached >> i & 1) != 0 && L.envState[lane] == 0)
            {
                L.envState[lane] = 1;
                L.envGoal[lane] = L.sustainLevel[lane];
                L.envCoef[lane] = L.decayCoef[lane];
            }
        }
    }

    // 3. LFOs.
    const F8 lfo1Phase = wrapLfoLanes (g.f (L.lfo1Phase) + g.f (L.lfo1Increment));
    const F8 lfo2Phase = wrapLfoLanes (g.f (L.lfo2Phase) + g.f (L.lfo2Increment));
    g.put (L.lfo1Phase, lfo1Phase);
    g.put (L.lfo2Phase, lfo2Phase);
    const F8 lfo1 = triangleLanes (lfo1Phase, g.f (L.current[VoiceLanes::lfo1Amount]));
    const F8 lfo2 = triangleLanes (lfo2Phase, g.f (L.current[VoiceLanes::lfo2Amount]));

    // 4. Pitch and glide.
    D8 pitch = g.d (L.pitch);
    pitch = pitch + ((g.d (L.pitchGoal) - pitch) * g.d (L.glideCoef) + D8::broadcast (1e-15));
    g.put (L.pitch, pitch);
    const D8 oscPitch = pitch + maskedBy (g.d (L.fmDepth) * toDouble (lfo1), L.fmMask + base);

    // 5.
    const F8 env = maxOf (toFloat (level - D8::broadcast (0.1)), zero);

    // 6. A new oscillator pitch: frequency, table and pulse slopes.
    if (int changed = bitsOf (notEqual (oscPitch, g.d (L.lastOscPitch))))
        refreshOscillators (g, oscPitch, changed);

    // 7. Sawtooth.
    const F8 sawLevel = g.f (L.current[VoiceLanes::sawLevel]);
    const F8 hasSaw = notEqual (sawLevel, zero);
    F8 tablePhase = g.f (L.tablePhase);
    F8 saw = zero;
    if (bitsOf (hasSaw) != 0)
    {
        const F8 pos = g.f (L.tableLength) * tablePhase;
        const I8 index = truncate (pos);
        const F8 t = pos - toFloat (index);
        const I8 mask = g.i (L.tableMask);
        alignas (32) int32_t at[4][groupLanes];
        ((index + I8::broadcast (1)) & mask).store (at[0]);
        (index & mask).store (at[1]);
        ((index - I8::broadcast (1)) & mask).store (at[2]);
        ((index - I8::broadcast (2)) & mask).store (at[3]);
        alignas (32) float tap[4][groupLanes];
        for (int i = 0; i < groupLanes; ++i)
        {
            const float* data = L.tableData[base + i];
            for (int j = 0; j < 4; ++j)
                tap[j][i] = data[at[j][i]];
        }
        saw = catmullRomLanes (0, t) * F8::load (tap[0]) + catmullRomLanes (1, t) * F8::load (tap[1])
            + catmullRomLanes (2, t) * F8::load (tap[2]) + catmullRomLanes (3, t) * F8::load (tap[3]);
        saw = select (hasSaw, saw, zero);
    }
    tablePhase = tablePhase + g.f (L.tableIncrement);
    tablePhase = tablePhase - floorOf (tablePhase);
    g.put (L.tablePhase, tablePhase);

    // 8. Pulse phase.
    F8 pulsePhase = g.f (L.pulsePhase) + g.f (L.pulseIncrement);
    pulsePhase = select (greaterThan (pulsePhase, one), pulsePhase - floorOf (pulsePhase), pulsePhase);
    g.put (L.pulsePhase, pulsePhase);

    // 9. Trapezoid pulse, every segment computed and the lane's one chosen.
    const F8 pulseLevel = g.f (L.current[VoiceLanes::pulseLevel]);
    const F8 hasPulse = notEqual (pulseLevel, zero);
    F8 pulse = zero;
    if (bitsOf (hasPulse) != 0)
    {
        F8 w = g.f (L.current[VoiceLanes::pulseWidthIndex]);
        w = select (asFloat (g.i (L.pwm)), w + F8::broadcast (0.8f) * lfo1, w);
        const F8 d = (w + one) * F8::broadcast (0.5f);
        const F8 p = pulsePhase, rw = g.f (L.pulseRisingHalf), fw = g.f (L.pulseFallingHalf);
        F8 value = (p - one) / rw;
        value = select (lessThan (p, one - rw), F8::broadcast (-1.0f), value);
        value = select (lessThan (p, d + fw), (d - p) / fw, value);
        value = select (lessThan (p, d - fw), one, value);
        value = select (lessThan (p, rw), p / rw, value);
        value = select (lessThan (d, one), value, one);
        pulse = select (hasPulse, value - (F8::broadcast (2.0f) * minOf (d, one) - one), zero);
    }

    // 10. Noise: only the lanes that play it step their shift registers.
    const F8 noiseLevel = g.f (L.current[VoiceLanes::noiseLevel]);
    const F8 hasNoise = notEqual (noiseLevel, zero);
    F8 noise = zero;
    if (bitsOf (hasNoise) != 0)
    {
        const I8 before = I8::load ((const int32_t*) L.noiseState + base);
        I8 s = before;
        const I8 lowBit = I8::broadcast (1);
        for (int step = 0; step < 24; ++step)
        {
            const I8 bit = (shiftRight<31> (s) ^ shiftRight<29> (s) ^ shiftRight<18> (s) ^ shiftRight<7> (s)) & lowBit;
            s = shiftLeft<1> (s) | bit;
        }
        const I8 take = asInt (hasNoise);
        select (take, s, before).store ((int32_t*) L.noiseState + base);
        const F8 x = toFloat (s & I8::broadcast (0xFFFFFF)) * F8::broadcast (1.1920930376e-7f) - one;
        const F8 z = g.f (L.noiseZ);
        const F8 y = (g.f (L.noiseG) * x + z) * g.f (L.noiseInv);
        g.put (L.noiseZ, select (hasNoise, z + (x - y) * g.f (L.noiseG2), z));
        noise = select (hasNoise, y, zero);
    }

    // 11. Mix.
    const F8 gainIn = g.f (L.current[VoiceLanes::driveIn]);
    (((saw * sawLevel + pulse * pulseLevel) + noise * noiseLevel + F8::broadcast (1e-10f)) * gainIn).store (rows.mix[n] + base);

    // 12. Cutoff note.
    const F8 cutoff = g.f (L.current[VoiceLanes::cutoffNote]) + g.f (L.current[VoiceLanes::envAmount]) * env
                    + F8::broadcast (65.0f) * lfo2 + toFloat (pitch - D8::broadcast (20.0)) * g.f (L.trackFactor);
    cutoff.store (rows.cutoffNote[n] + base);

    // 13. Emphasis.
    const F8 emphasis = g.f (L.current[VoiceLanes::emphasisIndex]);
    if (int changed = bitsOf (notEqual (emphasis, g.f (L.lastEmphasis))))
    {
        alignas (32) float values[groupLanes];
        emphasis.store (values);
        for (int i = 0; i < groupLanes; ++i)
            if ((changed >> i & 1) != 0)
                L.refreshEmphasis (L, base + i, values[i]);
    }
    g.f (L.feedbackGain).store (rows.feedbackGain[n] + base);
    g.f (L.hpG).store (rows.hpG[n] + base);
    g.f (L.shelfG).store (rows.shelfG[n] + base);
    g.f (L.shelfA).store (rows.shelfA[n] + base);
    g.f (L.shelfB).store (rows.shelfB[n] + base);

    // Gain into the output saturator.
    const F8 driveOut = g.f (L.current[VoiceLanes::driveOut]);
    ((gainIn + F8::broadcast (3.0f)) / (F8::broadcast (4.0f) * gainIn) * driveOut * g.f (L.satInGain))
        .store (rows.outGain[n] + base);

    // 18. Amplifier.
    const F8 a = g.f (L.current[VoiceLanes::accentGain]) * F8::broadcast (0.78956f) + F8::broadcast (0.21791f);
    const F8 e2 = env * a;
    const F8 low = (e2 * F8::broadcast (11.6262f) - F8::broadcast (0.2484f)) * e2 * e2;
    const F8 high = e2 * F8::broadcast (1.1472f) - F8::broadcast (0.1472f);
    select (lessThan (e2, F8::broadcast (0.18862f)), low, high).store (rows.ampGain[n] + base);
    driveOut.store (rows.driveOut[n] + base);
}

/** The cutoff frequency and ladder coefficient of row n of one group; a
    group whose lanes all keep their cutoff note keeps their coefficients. */
__attribute__ ((always_inline)) inline void stepCutoff (const Group& g, int n) noexcept
{
    auto& L = g.L;
    const F8 note = F8::load (L.rows.cutoffNote[n] + g.base);
    if (bitsOf (notEqual (note, g.f (L.lastCutoffNote))) == 0)
    {
        g.f (L.ladderG).store (L.rows.ladderG[n] + g.base);
        return;
    }
    g.put (L.lastCutoffNote, note);

    const F8 hz = minOf (F8::broadcast (440.0f) * exp2Lanes ((note - F8::broadcast (69.0f)) * F8::broadcast (1.0f / 12.0f)),
                         F8::broadcast (16000.0f));
    g.put (L.cutoffHz, hz);

    // LadderFilter::coefficientOf: the Pade approximant in double precision.
    const F8 angle = hz * g.f (L.piOverRate);
    const D8 x = toDouble (angle);
    const D8 z = x * x;
    const D8 numerator = x * (D8::broadcast (945.0) - z * (D8::broadcast (105.0) - z));
    F8 G = toFloat (numerator / (numerator + (D8::broadcast (945.0) - z * (D8::broadcast (420.0) - D8::broadcast (15.0) * z))));
    const int inRange = bitsOf (lessEqual (absOf (angle), F8::broadcast (0.785398163f)));
    if (inRange != (1 << groupLanes) - 1)
    {
        alignas (32) float angles[groupLanes], coefficients[groupLanes];
        angle.store (angles);
        G.store (coefficients);
        for (int i = 0; i < groupLanes; ++i)
            if ((inRange >> i & 1) == 0)
                coefficients[i] = L.ladderCoefficient (angles[i]);
        G = F8::load (coefficients);
    }
    g.put (L.ladderG, G);
    G.store (L.rows.ladderG[n] + g.base);
}

/** The output saturator (Synth404Render.cpp). */
inline F8 saturateOutputLanes (F8 z) noexcept
{
    const F8 a = absOf (z);
    const F8 r = F8::broadcast (0.5416388f)
               * ((F8::broadcast (1.0f) + a) - sqrtOf (z * z - F8::broadcast (1.6924973f) * a + F8::broadcast (1.0f)));
    // r >= 0, so the sign opposite to z's is or-ed in.
    return orLanes (r, andNotLanes (z, signBits()));
}

/** LadderFilter::saturate. */
inline F8 saturateInputLanes (F8 v) noexcept
{
    const F8 a = absOf (v);
    const F8 onePlus = F8::broadcast (1.0f) + a;
    const F8 r = F8::broadcast (2.0f) * a / (onePlus + sqrtOf (onePlus * onePlus - F8::broadcast (3.6817882f) * a));
    // r >= 0, so v's sign is or-ed in.
    return orLanes (r, andLanes (signBits(), v));
}

/** LadderFilter::coefficients, the same operations in the same order. */
struct LadderLanes
{
    F8 G, G3, hpTwoG, hpKeep, shelfKeep, shelfTake, kS, kH, kL, cS, cT, cH, cL, m;

    LadderLanes() = default;
    LadderLanes (F8 g, F8 hpG, F8 shelfG, F8 shelfA, F8 shelfB, F8 feedbackGain) noexcept
    {
        const F8 one = F8::broadcast (1.0f), two = F8::broadcast (2.0f);
        const F8 oneMinusG = one - g;
        hpKeep = one - hpG;
        const F8 hpMix = two * hpG * hpKeep;
        shelfTake = two * shelfG * (one - shelfG);
        kH = feedbackGain * shelfA;
        kS = kH * hpKeep;
        kL = feedbackGain * shelfB;
        const F8 G2 = g * g;
        G = g;
        G3 = F8::broadcast (3.0f) * g;
        hpTwoG = two * hpG;
        shelfKeep = one - two * shelfG;
        cS = (kS * (one - two * g) - kH * hpMix) + kL * shelfTake * hpKeep;
        cT = kS * (two * g) * oneMinusG;
        cH = xorLanes (kH * (one - two * hpG) + kL * shelfTake, signBits());
        cL = kL * shelfKeep;
        m = G2 * G2 * ((F8::broadcast (8.0f) * oneMinusG * kS - hpMix * kH) + shelfTake * hpKeep * kL);
    }

    F8 estimate (F8 s0, F8 s1, F8 s2, F8 s3) const noexcept { return ((s0 * G + s1) * G + s2) * G + s3; }
};

/** numSamples samples of R groups from firstGroup on: the control and cutoff
    steps into row n, then steps 14 to 17 and 19 from it.  The ladder is one
    long dependent chain per voice: the groups' chains interleave, and the
    next sample's control steps, independent of the chains, run between the
    ladder's sub-samples (group 0 after the first, group 1 after the third),
    where the processor has room for them. */
template <int R>
void runLanes (VoiceLanes& L, int numSamples, int firstGroup = 0) noexcept
{
    const auto& U = upsamplingTable();
    const F8 two = F8::broadcast (2.0f);
    auto& rows = L.rows;

    F8 s0[R], s1[R], s2[R], s3[R], hp[R], shelf[R], h[4][R], dec[4][R], follower[R];
    for (int r = 0; r < R; ++r)
    {
        const int l = (firstGroup + r) * groupLanes;
        s0[r] = F8::load (L.ladder[0] + l);
        s1[r] = F8::load (L.ladder[1] + l);
        s2[r] = F8::load (L.ladder[2] + l);
        s3[r] = F8::load (L.ladder[3] + l);
        hp[r] = F8::load (L.hp + l);
        shelf[r] = F8::load (L.shelf + l);
        for (int j = 0; j < 4; ++j)
        {
            h[j][r] = F8::load (L.history[j] + l);
            dec[j][r] = F8::load (L.decimator[j] + l);
        }
        follower[r] = F8::load (L.follower + l);
    }

    // The control steps of the next sample run between the ladder's
    // sub-samples, where the processor has room beside the chains.
    auto controlsOf = [&L, firstGroup] (int r, int n)
    {
        const Group group { L, (firstGroup + r) * groupLanes };
        stepControls (group, n);
        stepCutoff (group, n);
    };
    if (numSamples > 0)
        for (int r = 0; r < R; ++r)
            controlsOf (r, 0);

    for (int n = 0; n < numSamples; ++n)
    {

        F8 x[4][R], o[4][R], S[R], fb[R];
        LadderLanes lad[R];

        for (int r = 0; r < R; ++r)
        {
            const int l = (firstGroup + r) * groupLanes;
            lad[r] = LadderLanes (F8::load (rows.ladderG[n] + l), F8::load (rows.hpG[n] + l),
                                  F8::load (rows.shelfG[n] + l), F8::load (rows.shelfA[n] + l),
                                  F8::load (rows.shelfB[n] + l), F8::load (rows.feedbackGain[n] + l));
            S[r] = lad[r].estimate (s0[r], s1[r], s2[r], s3[r]);
            fb[r] = (lad[r].kS * S[r] - lad[r].kH * hp[r]) + lad[r].kL * shelf[r];

            // 14. History, newest first.
            h[3][r] = h[2][r];
            h[2][r] = h[1][r];
            h[1][r] = h[0][r];
            h[0][r] = F8::load (rows.mix[n] + l);

            // 15. Up-sampling.
            for (int k = 0; k < 4; ++k)
                x[k][r] = F8::broadcast (U[k][0]) * h[0][r] + F8::broadcast (U[k][1]) * h[1][r]
                        + F8::broadcast (U[k][2]) * h[2][r] + F8::broadcast (U[k][3]) * h[3][r];
        }

        // 16. The ladder (LadderFilter::processFour).
        for (int k = 0; k < 4; ++k)
        {
            for (int r = 0; r < R; ++r)
            {
                const LadderLanes& c = lad[r];
                const F8 in = saturateInputLanes (x[k][r] - fb[r]);
                const F8 T = (s0[r] * c.G3 + s1[r] * two) * c.G + s2[r];
                fb[r] = ((c.cS * S[r] + c.cT * T) + c.cH * hp[r]) + c.cL * shelf[r] + c.m * in;
                const F8 g = c.G;
                const F8 a1 = g * in + s0[r];
                const F8 a2 = g * a1 + s1[r];
                const F8 a3 = g * a2 + s2[r];
                const F8 y = g * a3 + s3[r];
                const F8 g2 = two * g;
                s0[r] = s0[r] + g2 * (in - a1);
                s1[r] = s1[r] + g2 * (a1 - a2);
                s2[r] = s2[r] + g2 * (a2 - a3);
                s3[r] = s3[r] + g2 * (a3 - y);
                const F8 h = c.hpKeep * y - hp[r];
                hp[r] = hp[r] + c.hpTwoG * h;
                shelf[r] = c.shelfKeep * shelf[r] + c.shelfTake * h;
                S[r] = c.estimate (s0[r], s1[r], s2[r], s3[r]);
                o[k][r] = y;
            }
            if ((k & 1) == 0 && k / 2 < R && n + 1 < numSamples)
                controlsOf (k / 2, n + 1);
        }

        for (int r = 0; r < R; ++r)
        {
            const int l = (firstGroup + r) * groupLanes;
            const F8 outGain = F8::load (rows.outGain[n] + l);
            for (int k = 0; k < 4; ++k)
                o[k][r] = saturateOutputLanes (o[k][r] * outGain);

            // 17. Down-sampling.
            for (int k = 0; k < 4; ++k)
                for (int j = 0; j < 4; ++j)
                    dec[j][r] = dec[j][r] + F8::broadcast (U[3 - k][j]) * o[k][r];
            const F8 y = dec[0][r] * F8::broadcast (0.25f);
            dec[0][r] = dec[1][r];
            dec[1][r] = dec[2][r];
            dec[2][r] = dec[3][r];
            dec[3][r] = F8::broadcast (0.0f);
            follower[r] = follower[r] + ((absOf (y) - follower[r]) * F8::load (L.followerCoef + l)
                                         + F8::broadcast (1e-15f));

            // 19.
            const F8 gainOut = F8::load (rows.driveOut[n] + l);
            const F8 result = y * F8::load (rows.ampGain[n] + l) * (gainOut + F8::broadcast (16.0f))
                            / (F8::broadcast (17.0f) * gainOut) * F8::load (L.satOutGain + l);
            result.store (rows.out[n] + l);
        }
    }

    for (int r = 0; r < R; ++r)
    {
        const int l = (firstGroup + r) * groupLanes;
        s0[r].store (L.ladder[0] + l);
        s1[r].store (L.ladder[1] + l);
        s2[r].store (L.ladder[2] + l);
        s3[r].store (L.ladder[3] + l);
        hp[r].store (L.hp + l);
        shelf[r].store (L.shelf + l);
        for (int j = 0; j < 4; ++j)
        {
            h[j][r].store (L.history[j] + l);
            dec[j][r].store (L.decimator[j] + l);
        }
        follower[r].store (L.follower + l);
    }
}

/** Two groups interleave where the instruction set has the registers for
    both (groupsInFlight, set by the including file); otherwise one group
    runs after the other. */
inline void renderLanes (VoiceLanes& L, int numGroups, int numSamples) noexcept
{
    if (numGroups == 2 && groupsInFlight == 2)
        runLanes<2> (L, numSamples);
    else
        for (int group = 0; group < numGroups; ++group)
            runLanes<1> (L, numSamples, group);
}
