#include "PluginProcessor.h"

#include "Arpeggiator.h"
#include "Diagnostics.h"
#include "NoteSet.h"
#include "editor/PluginEditor.h"

namespace
{
    // Storage reserved before playback; past it the containers grow.
    constexpr size_t reservedMidiEvents = 4096;
    constexpr size_t reservedPendingNoteOffs = 4096;
    constexpr size_t reservedPatternSteps = 1024;
    constexpr int reservedOutputBytes = 64 * 1024;

    const char* const engineParameterIDs[] = {
        ParameterIDs::topWidth, ParameterIDs::bottomWidth, ParameterIDs::bounce, ParameterIDs::velocity,
        ParameterIDs::decay, ParameterIDs::time, ParameterIDs::gravity, ParameterIDs::collision,
        ParameterIDs::dynamic, ParameterIDs::mono, ParameterIDs::panic
    };
}

CaromelAudioProcessor::CaromelAudioProcessor()
    : juce::AudioProcessor (BusesProperties().withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      parameters (*this, nullptr, "PARAMETERS", createParameterLayout())
{
    noteMask = NoteSet::cMajorMask;

    // Presets and patterns first, so that the engine settings copied below
    // follow the default preset.
    deployFactoryPresets();
    seedParametersFromDefaultPreset();
    patternManager.initialise (getPresetFolder());
    chooseStartingPattern();

    launchPosValue = parameters.getRawParameterValue (ParameterIDs::launchPos);
    modValue = parameters.getRawParameterValue (ParameterIDs::mod);
    arpTypeValue = parameters.getRawParameterValue (ParameterIDs::arpType);
    maxBouncesValue = parameters.getRawParameterValue (ParameterIDs::maxBounces);
    decayAfterReleaseValue = parameters.getRawParameterValue (ParameterIDs::decayAfterRelease);

    arpRandom.setSeedRandomly();

    // Create the weak-reference master here, so that the audio thread only
    // ever copies it.
    juce::WeakReference<CaromelAudioProcessor> { this };

    for (auto* id : engineParameterIDs)
        parameters.addParameterListener (id, this);

    copyParametersToEngineSettings();
}

CaromelAudioProcessor::~CaromelAudioProcessor()
{
    for (auto* id : engineParameterIDs)
        parameters.removeParameterListener (id, this);

    // The world goes with physics; the records go back to the pool or the heap.
    for (auto* record : balls)
        ballPool.release (record);
    balls.clear();
}

juce::AudioProcessorEditor* CaromelAudioProcessor::createEditor()
{
    return new CaromelAudioProcessorEditor (*this);
}

bool CaromelAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto output = layouts.getMainOutputChannelSet();
    return output == juce::AudioChannelSet::mono() || output == juce::AudioChannelSet::stereo();
}

//==============================================================================
void CaromelAudioProcessor::parameterChanged (const juce::String& id, float value)
{
    const bool on = value > 0.5f;

    // The funnel never gets wider than the view allows, whatever the parameter says.
    const auto width = juce::jlimit (0.5f, PhysicsWorld::maxWidth(), value);

    if (id == ParameterIDs::topWidth)          { topWidth = width; funnelGeometryDirty = true; }
    else if (id == ParameterIDs::bottomWidth)  { bottomWidth = width; funnelGeometryDirty = true; }
    else if (id == ParameterIDs::bounce)       setBallRestitution (value);
    else if (id == ParameterIDs::velocity)     launchStrength = value;
    else if (id == ParameterIDs::decay)        decayFactor = value;
    else if (id == ParameterIDs::time)         timeScale = value;
    else if (id == ParameterIDs::gravity)      setWorldGravity (value);
    else if (id == ParameterIDs::collision)    setCollisionEnabled (on);
    else if (id == ParameterIDs::dynamic)      dynamicLaunch = on ? 1 : 0;
    else if (id == ParameterIDs::mono)         monoMode = on;
    else if (id == ParameterIDs::panic)        updatePanicMode (on);
}

void CaromelAudioProcessor::copyParametersToEngineSettings()
{
    for (auto* id : engineParameterIDs)
        if (auto* value = parameters.getRawParameterValue (id))
            parameterChanged (id, value->load());
}

//==============================================================================
void CaromelAudioProcessor::setCurrentPattern (const juce::String& name, const std::vector<int>& steps)
{
    if (steps.empty())
        return;

    const std::lock_guard<std::mutex> lock (patternLock);
    currentPatternName = name;
    currentPatternSteps = steps;
}

std::vector<int> CaromelAudioProcessor::getCurrentPatternSteps() const
{
    const std::lock_guard<std::mutex> lock (patternLock);
    return currentPatternSteps;
}

juce::String CaromelAudioProcessor::getCurrentPatternName() const
{
    const std::lock_guard<std::mutex> lock (patternLock);
    return currentPatternName;
}

void CaromelAudioProcessor::setNoteMask (int mask)
{
    noteMask = NoteSet::sanitiseMask (mask);
}

void CaromelAudioProcessor::setAllowedMidiChannelMask (int mask)
{
    const auto m = (uint16_t) (mask & 0xFFFF);
    allowedMidiChannelMask = m == 0 ? (uint16_t) 0xFFFF : m;
}

int CaromelAudioProcessor::quantizeToScale (int note) const noexcept
{
    return NoteSet::quantize (note, noteMask.load());
}

void CaromelAudioProcessor::setRandomSeed (juce::int64 seed)
{
    arpRandom.setSeed (seed);
}

//==============================================================================
float CaromelAudioProcessor::getLaunchHandleX() const
{
    return physics.getLaunchHandleX (launchPosValue->load());
}

void CaromelAudioProcessor::updateFunnelGeometry()
{
    physics.updateFunnelGeometry (topWidth.load(), bottomWidth.load());
}

void CaromelAudioProcessor::updatePanicMode (bool on)
{
    panicMode = on;
    worldChanges.request (WorldChanges::panic);
}

void CaromelAudioProcessor::setWorldGravity (float value)
{
    worldChanges.setGravityTarget (value);
}

void CaromelAudioProcessor::setBallRestitution (double restitution)
{
    ballRestitution = restitution;
    worldChanges.request (WorldChanges::restitution);
}

void CaromelAudioProcessor::setCollisionEnabled (bool enabled)
{
    collisionEnabled = enabled;
    worldChanges.request (WorldChanges::collision);
}

void CaromelAudioProcessor::applyWorldChanges (uint32_t changes)
{
    if (changes & WorldChanges::gravity)
        physics.setGravity (worldChanges.getGravityTarget());
    if (changes & WorldChanges::restitution)
        physics.setRestitution (ballRestitution.load());
    if (changes & WorldChanges::collision)
        physics.setCollisionMasks (collisionEnabled.load(), wallCategoryBits.load(), ballCategoryBits.load());
    if (changes & WorldChanges::panic)
        physics.setWallsSensor (panicMode.load());
}

//==============================================================================
void CaromelAudioProcessor::prepareToPlay (double sampleRate, int samplesPerBlock)
{
    currentSampleRate = sampleRate;

    if (! physics.exists())
    {
        physics.create (-9.81f);
        physics.warmUp (ballPoolSize);
    }

    scheduler.reserve (reservedMidiEvents, reservedPendingNoteOffs);
    balls.reserve ((size_t) ballPoolSize);
    bodiesToDestroy.reserve ((size_t) ballPoolSize);
    ballPool.reserve ((size_t) ballPoolSize);
    audioPatternCopy.reserve (reservedPatternSteps);
    outputMidi.ensureSize ((size_t) juce::jmax (reservedOutputBytes, samplesPerBlock * 16));
    keyboardMidi.ensureSize (KeyboardNoteQueue::capacity * 16);
    keyboardNotes.drain ([] (const KeyboardNoteQueue::Message&) {}); // keys played while stopped are stale
    {
        const juce::SpinLock::ScopedLockType lock (snapshotLock);
        ballSnapshots.reserve ((size_t) ballPoolSize);
    }

    physics.simTimeAccumulator = 0.0;
    for (auto& channel : ballByInputNote)
        channel.fill (nullptr);

    physics.attachContactListener (false);
    updateFunnelGeometry();
    physics.attachContactListener (true);

    // Changes asked for while there was no world, or since the last block.
    applyWorldChanges (worldChanges.take());

    for (const auto& pattern : patternManager.getPatterns())
        writeDiagnosticLine ("Loaded pattern: " + pattern.name + " steps: " + juce::String ((int) pattern.steps.size()));
}

//==============================================================================
void CaromelAudioProcessor::processBlock (juce::AudioBuffer<float>& audio, juce::MidiBuffer& midi)
{
    const juce::ScopedNoDenormals noDenormals;
    const int numSamples = audio.getNumSamples();

    audio.clear();

    if (! physics.exists() || numSamples <= 0)
    {
        midi.clear();
        return;
    }

    if (funnelGeometryDirty.exchange (false))
        updateFunnelGeometry();
    applyWorldChanges (worldChanges.take());

    bodiesToDestroy.clear();

    const int modMode = (int) modValue->load();
    const int arpMode = (int) arpTypeValue->load();
    const int maxBouncesIndex = (int) maxBouncesValue->load();
    const bool patternInput = patternInputEnabled.load();

    outputMidi.clear();

    if (panicRequested.exchange (false))
        performPanic (numSamples);

    // Computer keyboard notes first, as if they led the host's events at 0.
    keyboardMidi.clear();
    keyboardNotes.drain ([this] (const KeyboardNoteQueue::Message& m) { keyboardMidi.addEvent (m.bytes.data(), m.size, 0); });
    handleIncomingMidi (keyboardMidi, numSamples, modMode, patternInput);
    handleIncomingMidi (midi, numSamples, modMode, patternInput);
    physics.advance (numSamples, currentSampleRate, timeScale.load());
    processBalls (numSamples, arpMode, maxBouncesIndex, patternInput);
    destroyCollectedBalls();
    takeSnapshot();
    scheduler.countDownPendingNoteOffs (numSamples, [this] (uint64_t id) { onPendingNoteOffFired (id); });
    scheduler.flush (outputMidi, numSamples);

    midi.clear();
    midi.addEvents (outputMidi, 0, -1, 0);

    if (snapshotLockHeld)
    {
        snapshotLockHeld = false;
        snapshotLock.exit();
    }
}

void CaromelAudioProcessor::handleIncomingMidi (const juce::MidiBuffer& input, int numSamples, int modMode, bool patternInput)
{
    const int lastSample = numSamples - 1;

    for (const auto metadata : input)
    {
        if (metadata.numBytes <= 0)
            continue;

        const auto message = metadata.getMessage();
        const int position = metadata.samplePosition;
        const int clamped = juce::jlimit (0, lastSample, position);
        const bool isNote = message.isNoteOnOrOff();

        if (patternInput && isNote)
        {
            if (message.isNoteOn())
                postPatternInputNote (message.getNoteNumber());
            outputMidi.addEvent (metadata.data, metadata.numBytes, clamped);
            continue;
        }

        if (metadata.data[0] >= 0xA0)
        {
            outputMidi.addEvent (metadata.data, metadata.numBytes, clamped);
            if (message.isControllerOfType (1))
                handleModWheel (modMode, message.getControllerValue());
            continue;
        }

        if (message.isNoteOn())
            launchBall (message.getChannel(), message.getNoteNumber(), message.getVelocity(), position, numSamples);
        else if (message.isNoteOff())
            releaseBall (message.getChannel(), message.getNoteNumber(), clamped);
    }
}

void CaromelAudioProcessor::handleModWheel (int modMode, int value)
{
    const float maxWidth = PhysicsWorld::maxWidth();
    const float target = (float) value * 8.5f / 127.0f + 0.5f;
    auto limit = [] (float x, float lo, float hi) { return std::min (std::max (x, lo), hi); };

    switch ((ModWheelMode) modMode)
    {
        case ModWheelMode::wallTop:
            topWidth = limit (target, 0.5f, maxWidth);
            funnelGeometryDirty = true;
            break;

        case ModWheelMode::wallBottom:
        {
            // Both walls move together, so the funnel keeps its slope.
            const float top = topWidth.load(), bottom = bottomWidth.load();
            const float lo = std::max (0.5f - top, 0.5f - bottom);
            const float hi = std::min (maxWidth - top, maxWidth - bottom);
            const float delta = limit (target - bottom, lo, hi);
            bottomWidth = limit (bottom + delta, 0.5f, maxWidth);
            topWidth = limit (top + delta, 0.5f, maxWidth);
            funnelGeometryDirty = true;
            break;
        }

        case ModWheelMode::gravity:
        case ModWheelMode::decay:
        case ModWheelMode::time:
        {
            const char* id = modMode == (int) ModWheelMode::gravity ? ParameterIDs::gravity
                           : modMode == (int) ModWheelMode::decay   ? ParameterIDs::decay
                                                                    : ParameterIDs::time;
            if (auto* parameter = parameters.getParameter (id))
                parameter->setValueNotifyingHost ((float) value / 127.0f);
            break;
        }

        case ModWheelMode::off:
        default:
            break;
    }
}

void CaromelAudioProcessor::performPanic (int numSamples)
{
    for (int channel = 1; channel <= 16; ++channel)
        outputMidi.addEvent (juce::MidiMessage::allNotesOff (channel), 0);

    clearFieldForMono (0, numSamples);

    // Notes whose balls have gone but whose note-off is still counting down.
    for (const auto& pending : scheduler.pendingNoteOffs)
        if (! pending.cancelled)
            scheduler.queueNoteOff (pending.id, pending.channel, pending.note, 0);
    scheduler.pendingNoteOffs.clear();

    for (int channel = 1; channel <= 16; ++channel)
        for (int note = 0; note < 128; ++note)
            if (const auto& slot = scheduler.slot (channel, note); slot.active && ! scheduler.hasQueuedNoteOff (slot.id))
                scheduler.queueNoteOff (slot.id, channel, note, 0);
}

void CaromelAudioProcessor::clearFieldForMono (int position, int numSamples)
{
    const int offset = juce::jmin (position, numSamples - 1);

    for (auto* body = physics.getWorld()->GetBodyList(); body != nullptr; body = body->GetNext())
    {
        auto* ball = getBallData (body);
        if (ball == nullptr || ball->dying)
            continue;

        cancelPendingNoteOffsOf (*ball);
        for (int i = 0; i < ball->noteCount; ++i)
        {
            auto& note = ball->notes[(size_t) i];
            if (note.active)
            {
                scheduler.queueNoteOff (note.id, note.channel, note.note, offset);
                note.active = false;
            }
        }

        if (ball->noteSounding)
        {
            // Only reached when the current note is not among the recorded ones.
            if (ball->findNote (ball->currentNoteId) == nullptr)
                scheduler.queueNoteOff (ball->currentNoteId, ball->currentChannel, ball->currentNote, offset);
            scheduler.cancelPendingNoteOffs (ball->currentNoteId);
            ball->noteSounding = false;
        }

        killBall (*body, *ball);
    }

    for (auto& channel : ballByInputNote)
        channel.fill (nullptr);
}

void CaromelAudioProcessor::launchBall (int channel, int note, int velocity, int position, int numSamples)
{
    if (monoMode.load())
        clearFieldForMono (position, numSamples);

    PhysicsWorld::LaunchSettings launch;
    launch.launchPos = launchPosValue->load();
    launch.velocity = velocity;
    launch.launchStrength = launchStrength.load();
    launch.dynamicLaunch = dynamicLaunch.load() != 0;
    launch.restitution = ballRestitution.load();
    launch.categoryBits = ballCategoryBits.load();
    launch.maskBits = wallCategoryBits.load();

    auto* body = physics.launchBall (launch);
    auto* ball = ballPool.acquire();
    balls.push_back (ball);
    body->SetUserData (ball);

    const int launchNote = quantizeToScale (note);
    const int outputChannel = scheduler.chooseLaunchChannel (allowedMidiChannelMask.load());
    const int offset = juce::jlimit (0, numSamples - 1, position);

    ball->keyHeld = true;
    ball->heldSamples = 0;
    ball->releaseSamples = -1;
    ball->inputChannel = channel;
    ball->inputNote = note;
    ball->ballId = noteIdCounter.fetch_add (1);
    ball->currentNoteId = ball->ballId;
    ball->currentChannel = outputChannel;
    ball->currentNote = launchNote;
    ball->noteSounding = true;
    ball->noteCount = 0;
    ball->bounceCount = 0;
    ball->noteVelocity = (float) velocity;
    ball->lastNote = launchNote;
    ball->baseNote = launchNote;

    if (channel >= 0 && channel <= 16 && note >= 0 && note <= 127)
        ballByInputNote[(size_t) channel][(size_t) note] = body;

    scheduler.queueNoteOn (ball->ballId, outputChannel, launchNote, velocity, offset);
    ball->recordNote ({ ball->ballId, outputChannel, launchNote, true, false });
}

void CaromelAudioProcessor::releaseBall (int channel, int note, int position)
{
    if (channel < 0 || channel > 16 || note < 0 || note > 127)
        return;

    auto*& slot = ballByInputNote[(size_t) channel][(size_t) note];
    auto* body = slot;
    slot = nullptr;

    auto* ball = getBallData (body);
    if (ball == nullptr || ball->dying)
        return;

    ball->keyHeld = false;
    const int minimumSamples = (int) (currentSampleRate * 0.025);
    ball->releaseSamples = juce::jmax (ball->heldSamples, minimumSamples);
    if (ball->releaseSamples < 2)
        ball->releaseSamples = 1;

    if (auto* launchNote = ball->findNote (ball->ballId))
    {
        scheduler.cancelPendingNoteOffs (ball->ballId);
        if (launchNote->active)
        {
            scheduler.queueNoteOff (ball->ballId, launchNote->channel, launchNote->note, position);
            launchNote->active = false;
            launchNote->offScheduled = false;
        }
    }

    if (ball->currentNoteId == ball->ballId)
        ball->noteSounding = false;

    for (int i = 0; i < ball->noteCount; ++i)
    {
        auto& n = ball->notes[(size_t) i];
        if (n.id != ball->ballId && n.active && ! n.offScheduled)
        {
            scheduler.addPendingNoteOff (n.id, n.channel, n.note, ball->releaseSamples);
            n.offScheduled = true;
        }
    }
}

//==============================================================================
void CaromelAudioProcessor::processBalls (int numSamples, int arpMode, int maxBouncesIndex, bool patternInput)
{
    const bool collisions = collisionEnabled.load();
    const auto wallBits = wallCategoryBits.load();
    const auto ballBits = ballCategoryBits.load();

    for (auto* body = physics.getWorld()->GetBodyList(); body != nullptr; body = body->GetNext())
    {
        if (body->GetType() != b2_dynamicBody)
            continue;

        auto* ball = getBallData (body);
        if (ball == nullptr || ball->dying)
            continue;

        if (collisions && ball->ballCollisionsActive == 0)
            physics.enableBallCollisionsIfClear (*body, *ball, wallBits, ballBits);

        if (ball->keyHeld)
            ball->heldSamples += numSamples;

        if (ball->bounced && ! handleBounce (*body, *ball, arpMode, maxBouncesIndex, patternInput))
            continue;

        removeIfFinished (*body, *ball);
    }
}

const std::vector<int>& CaromelAudioProcessor::patternForBounce()
{
    // Never wait for the message thread: when it holds the lock, play on
    // with the copy taken at an earlier bounce.
    std::unique_lock<std::mutex> lock (patternLock, std::try_to_lock);
    if (lock.owns_lock())
    {
        const size_t count = std::min (currentPatternSteps.size(), std::max (audioPatternCopy.capacity(), reservedPatternSteps));
        audioPatternCopy.assign (currentPatternSteps.begin(), currentPatternSteps.begin() + (std::ptrdiff_t) count);
    }

    if (audioPatternCopy.empty())
        audioPatternCopy.push_back (0);

    return audioPatternCopy;
}

bool CaromelAudioProcessor::handleBounce (b2Body& body, BallUserData& ball, int arpMode, int maxBouncesIndex, bool patternInput)
{
    ball.bounced = false;
    const int bounce = ++ball.bounceCount;
    const int limit = bounceLimitForIndex (maxBouncesIndex);

    if (bounce >= limit - 1)
        ball.lastBounce = true;

    if (bounce >= limit)
    {
        stopCurrentNote (ball);
        killBall (body, ball);
        return false;
    }

    const auto& steps = patternForBounce();
    const int numSteps = (int) steps.size();
    const auto choice = Arpeggiator::chooseStep (arpMode, bounce, numSteps, arpRandom);

    int step = steps[(size_t) choice.index];
    if (step == Arpeggiator::rest)
    {
        stopCurrentNote (ball);
        return false;
    }

    if (Arpeggiator::subtractsLastStep (arpMode))
    {
        // The last sounding step goes on the launch pitch; a rest at the end
        // has no pitch to put there.
        for (int i = numSteps; i-- > 0;)
        {
            if (steps[(size_t) i] != Arpeggiator::rest)
            {
                step = (int) juce::jlimit<juce::int64> (-1024, 1024, (juce::int64) step - steps[(size_t) i]);
                break;
            }
        }
    }

    // Steps from a preset are not range-checked; keep the sum well inside int.
    const auto pitch = juce::jlimit<juce::int64> (-1024, 1024, (juce::int64) ball.baseNote + choice.octaveShift + step);
    const int note = quantizeToScale ((int) pitch);

    const bool holdVelocity = decayAfterReleaseValue->load() > 0.5f && ball.keyHeld;
    if (! holdVelocity)
        ball.noteVelocity = (float) juce::jlimit (0, 127, (int) (ball.noteVelocity * decayFactor.load()));

    if (ball.noteVelocity < 1.1f)
    {
        stopCurrentNote (ball);
        killBall (body, ball);
        return false;
    }

    const bool left = splitLeft.load(), right = splitRight.load();
    const bool sounds = (left == right) || (left && bounce % 2 == 0) || (right && bounce % 2 == 1);
    if (! sounds)
        return false;

    stopCurrentNote (ball);

    if (patternInput)
        return false;

    const auto id = noteIdCounter.fetch_add (1);
    const int channel = scheduler.chooseBounceChannel (ball.currentChannel, note, allowedMidiChannelMask.load());
    scheduler.queueNoteOn (id, channel, note, (int) ball.noteVelocity, 8);

    bool offScheduled = false;
    if (! ball.keyHeld)
    {
        scheduler.addPendingNoteOff (id, channel, note, ball.releaseSamples);
        offScheduled = true;
    }

    ball.recordNote ({ id, channel, note, true, offScheduled });
    ball.currentNoteId = id;
    ball.currentChannel = channel;
    ball.currentNote = note;
    ball.noteSounding = true;
    ball.lastNote = note;
    return true;
}

void CaromelAudioProcessor::stopCurrentNote (BallUserData& ball)
{
    if (! ball.noteSounding)
        return;

    scheduler.queueNoteOff (ball.currentNoteId, ball.currentChannel, ball.currentNote, 0);
    if (auto* note = ball.findNote (ball.currentNoteId))
        note->active = false;
    scheduler.cancelPendingNoteOffs (ball.currentNoteId);
    ball.noteSounding = false;
}

void CaromelAudioProcessor::killBall (b2Body& body, BallUserData& ball)
{
    if (ball.dying)
        return;

    ball.dying = true;
    bodiesToDestroy.push_back (&body);
}

void CaromelAudioProcessor::removeIfFinished (b2Body& body, BallUserData& ball)
{
    if (PhysicsWorld::shouldRemove (body, ball))
        killBall (body, ball);
}

void CaromelAudioProcessor::destroyCollectedBalls()
{
    if (! bodiesToDestroy.empty())
        physics.prepareForDestruction();

    for (auto* body : bodiesToDestroy)
    {
        if (auto* ball = getBallData (body))
        {
            if (ball->inputChannel >= 1 && ball->inputChannel <= 16 && ball->inputNote >= 0 && ball->inputNote <= 127)
            {
                auto& slot = ballByInputNote[(size_t) ball->inputChannel][(size_t) ball->inputNote];
                if (slot == body)
                    slot = nullptr;
            }

            cancelPendingNoteOffsOf (*ball);
            for (int i = 0; i < ball->noteCount; ++i)
            {
                auto& note = ball->notes[(size_t) i];
                if (note.active)
                {
                    scheduler.queueNoteOff (note.id, note.channel, note.note, 0);
                    note.active = false;
                }
            }

            // A note past the recorded ones still gets stopped.
            if (ball->noteSounding && ball->findNote (ball->currentNoteId) == nullptr)
            {
                scheduler.cancelPendingNoteOffs (ball->currentNoteId);
                scheduler.queueNoteOff (ball->currentNoteId, ball->currentChannel, ball->currentNote, 0);
            }
            ball->noteSounding = false;

            auto entry = std::find (balls.begin(), balls.end(), ball);
            if (entry != balls.end())
                *entry = nullptr;

            body->SetUserData (nullptr);
            ballPool.release (ball);
        }

        physics.destroyBody (body);
    }

    balls.erase (std::remove (balls.begin(), balls.end(), nullptr), balls.end());
    bodiesToDestroy.clear();
}

void CaromelAudioProcessor::takeSnapshot()
{
    if (! snapshotLock.tryEnter())
        return; // the editor is copying; it keeps the previous snapshot

    snapshotLockHeld = true;
    ballSnapshots.clear();

    for (auto* body = physics.getWorld()->GetBodyList(); body != nullptr; body = body->GetNext())
    {
        if (body->GetType() != b2_dynamicBody)
            continue;

        BallSnapshot snapshot;
        snapshot.x = body->GetPosition().x;
        snapshot.y = body->GetPosition().y;
        snapshot.radius = PhysicsWorld::ballRadius;
        if (auto* ball = getBallData (body))
            snapshot.data = *ball;
        ballSnapshots.push_back (snapshot);
    }
}

void CaromelAudioProcessor::cancelPendingNoteOffsOf (BallUserData& ball)
{
    // One pass over the pending list instead of one per recorded note.
    for (auto& pending : scheduler.pendingNoteOffs)
        if (! pending.cancelled && ball.findNote (pending.id) != nullptr)
            pending.cancelled = true;
}

void CaromelAudioProcessor::onPendingNoteOffFired (uint64_t id)
{
    for (auto* ball : balls)
    {
        if (ball == nullptr)
            continue;
        if (auto* note = ball->findNote (id))
            note->active = false;
        if (ball->currentNoteId == id)
            ball->noteSounding = false;
    }
}

void CaromelAudioProcessor::postPatternInputNote (int note)
{
    // The callback is read on the message thread, where the editor sets and
    // clears it, so a call never reaches an editor that has gone.
    juce::MessageManager::callAsync ([weakThis = juce::WeakReference<CaromelAudioProcessor> (this), note]
    {
        if (auto* processor = weakThis.get())
            if (processor->onPatternInputNote)
                processor->onPatternInputNote (note);
    });
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new CaromelAudioProcessor();
}
