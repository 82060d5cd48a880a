#include "PresetBridge.h"
#include "Renderer.h"

#include "engine/PluginProcessor.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

using namespace rebondo::render;

namespace
{
    constexpr int ticksPerQuarter = 480;

    // A short song over three tracks: a tempo track with a tempo change,
    // chords, and a melody with a pitch bend.
    juce::MidiFile makeSong (int bars = 4)
    {
        juce::MidiFile file;
        file.setTicksPerQuarterNote (ticksPerQuarter);

        juce::MidiMessageSequence tempo;
        auto t0 = juce::MidiMessage::tempoMetaEvent (500000); // 120 bpm
        t0.setTimeStamp (0);
        tempo.addEvent (t0);
        auto t1 = juce::MidiMessage::tempoMetaEvent (400000); // 150 bpm from bar 2
        t1.setTimeStamp (4 * ticksPerQuarter);
        tempo.addEvent (t1);
        file.addTrack (tempo);

        juce::MidiMessageSequence chords, melody;
        const int roots[] = { 60, 65, 67, 60 };
        for (int bar = 0; bar < bars; ++bar)
        {
            const double start = bar * 4.0 * ticksPerQuarter;
            for (int offset : { 0, 4, 7 })
            {
                const int note = roots[bar % 4] + offset;
                chords.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 90).withTimeStamp (start));
                chords.addEvent (juce::MidiMessage::noteOff (1, note).withTimeStamp (start + 3.5 * ticksPerQuarter));
            }
            for (int beat = 0; beat < 4; ++beat)
            {
                const double at = start + beat * ticksPerQuarter + 17; // off the grid on purpose
                const int note = 72 + ((bar * 4 + beat) * 5) % 12;
                melody.addEvent (juce::MidiMessage::noteOn (2, note, (juce::uint8) 100).withTimeStamp (at));
                melody.addEvent (juce::MidiMessage::noteOff (2, note).withTimeStamp (at + ticksPerQuarter / 2));
            }
        }
        melody.addEvent (juce::MidiMessage::pitchWheel (2, 9000).withTimeStamp (ticksPerQuarter * 1.5));
        chords.updateMatchedPairs();
        melody.updateMatchedPairs();
        file.addTrack (chords);
        file.addTrack (melody);
        return file;
    }

    bool writeFile (const juce::MidiFile& midi, const juce::File& target)
    {
        target.deleteFile();
        juce::FileOutputStream out (target);
        return out.openedOk() && midi.writeTo (out, 1);
    }

    juce::MidiFile readFile (const juce::File& source)
    {
        juce::MidiFile midi;
        juce::FileInputStream in (source);
        EXPECT_TRUE (in.openedOk());
        EXPECT_TRUE (midi.readFrom (in, false));
        return midi;
    }

    juce::String presetText (const juce::String& attributes, const juce::String& params)
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PARAMETERS " + attributes + ">\n" + params + "</PARAMETERS>\n";
    }

    juce::String param (const char* id, double value)
    {
        return "  <PARAM id=\"" + juce::String (id) + "\" value=\"" + juce::String (value) + "\"/>\n";
    }

    // The factory Default's world, in which a ball bounces a good number of times.
    juce::String lively()
    {
        return param (ParameterIDs::bounce, 0.95) + param (ParameterIDs::decay, 0.84) + param (ParameterIDs::gravity, 85.52)
             + param (ParameterIDs::time, 0.5) + param (ParameterIDs::bottomWidth, 1.2) + param (ParameterIDs::topWidth, 5.0)
             + param (ParameterIDs::launchPos, 0.5) + param (ParameterIDs::velocity, 113.04);
    }

    // Runs the whole program in-process; returns the exit status.
    int runRender (const juce::StringArray& args, std::string* stdoutText = nullptr)
    {
        std::ostringstream out;
        const int status = runCommandLine (args, out);
        if (stdoutText != nullptr)
            *stdoutText = out.str();
        return status;
    }

    // Temporary folder with the song written into it.
    class RenderFixture : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            folder = juce::File::createTempFile ("render-test");
            ASSERT_TRUE (folder.createDirectory());
            input = folder.getChildFile ("in.mid");
            ASSERT_TRUE (writeFile (makeSong(), input));
        }

        void TearDown() override { folder.deleteRecursively(); }

        juce::File file (const juce::String& name) const { return folder.getChildFile (name); }

        juce::File writePreset (const juce::String& name, const juce::String& text) const
        {
            auto f = file (name);
            EXPECT_TRUE (f.replaceWithText (text));
            return f;
        }

        juce::File folder, input;
    };

    std::vector<TimedEvent> noteEvents (std::initializer_list<std::tuple<juce::int64, bool, int>> list)
    {
        std::vector<TimedEvent> events;
        for (const auto& [sample, on, note] : list)
            events.push_back ({ sample, on ? juce::MidiMessage::noteOn (1, note, (juce::uint8) 100)
                                           : juce::MidiMessage::noteOff (1, note) });
        return events;
    }

    // Checks that the notes close: each note-on later gets its note-off, and
    // nothing sounds at the end.
    void expectEveryNoteStops (const std::vector<std::pair<double, juce::MidiMessage>>& events)
    {
        std::map<std::pair<int, int>, double> sounding;
        int noteOns = 0;
        for (const auto& [time, m] : events)
        {
            const auto key = std::make_pair (m.getChannel(), m.getNoteNumber());
            if (m.isNoteOn())
            {
                ++noteOns;
                ASSERT_EQ (sounding.count (key), 0u) << "note-on of a sounding key at " << time;
                sounding[key] = time;
            }
            else if (m.isNoteOff())
            {
                if (auto it = sounding.find (key); it != sounding.end())
                {
                    EXPECT_GT (time, it->second) << "note-off not later than its note-on";
                    sounding.erase (it);
                }
            }
            else if (m.isAllNotesOff())
            {
                for (auto it = sounding.begin(); it != sounding.end();)
                    it = it->first.first == m.getChannel() ? sounding.erase (it) : std::next (it);
            }
        }
        EXPECT_GT (noteOns, 0);
        EXPECT_TRUE (sounding.empty()) << sounding.size() << " notes left sounding";
    }

    std::vector<std::pair<double, juce::MidiMessage>> renderedTrack (const juce::MidiFile& fileInTicks)
    {
        auto midi = fileInTicks;
        midi.convertTimestampTicksToSeconds();
        std::vector<std::pair<double, juce::MidiMessage>> events;
        if (midi.getNumTracks() < 2)
            return events;
        for (const auto* holder : *midi.getTrack (1))
            if (! holder->message.isMetaEvent())
                events.emplace_back (holder->message.getTimeStamp(), holder->message);
        return events;
    }
}

//==============================================================================
struct ArgumentCase
{
    std::vector<const char*> args;
    bool ok;
    const char* errorContains;
};

class RenderArguments : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P (RenderArguments, AcceptsGoodLinesAndNamesTheProblemInBadOnes)
{
    const auto& c = GetParam();
    juce::StringArray args;
    for (auto* a : c.args)
        args.add (a);

    juce::String error;
    const auto options = parseArguments (args, error);
    EXPECT_EQ (options.has_value(), c.ok) << error;
    if (! c.ok)
    {
        EXPECT_TRUE (error.contains (c.errorContains)) << error;
    }
}

INSTANTIATE_TEST_SUITE_P (Table, RenderArguments, ::testing::Values (
    ArgumentCase { { "in.mid", "-o", "out.mid" }, true, "" },
    ArgumentCase { { "in.mid", "--output=out.mid", "--block=64", "--sample-rate", "44100", "--seed", "-5", "--tail", "0" }, true, "" },
    ArgumentCase { { "--help" }, true, "" },
    ArgumentCase { { "--version" }, true, "" },
    ArgumentCase { { "-o", "out.mid" }, false, "no input" },
    ArgumentCase { { "in.mid" }, false, "no output" },
    ArgumentCase { { "in.mid", "-o" }, false, "-o needs a value" },
    ArgumentCase { { "in.mid", "-o", "in.mid" }, false, "must not be the input" },
    ArgumentCase { { "in.mid", "other.mid", "-o", "out.mid" }, false, "only one input" },
    ArgumentCase { { "in.mid", "-o", "out.mid", "--frobnicate" }, false, "unknown option '--frobnicate'" },
    ArgumentCase { { "in.mid", "-o", "out.mid", "--block", "0" }, false, "--block" },
    ArgumentCase { { "in.mid", "-o", "out.mid", "--block", "12.5" }, false, "--block" },
    ArgumentCase { { "in.mid", "-o", "out.mid", "--block", "70000" }, false, "--block" },
    ArgumentCase { { "in.mid", "-o", "out.mid", "--sample-rate", "fast" }, false, "--sample-rate" },
    ArgumentCase { { "in.mid", "-o", "out.mid", "--sample-rate", "100" }, false, "--sample-rate" },
    ArgumentCase { { "in.mid", "-o", "out.mid", "--sample-rate", "nan" }, false, "--sample-rate" },
    ArgumentCase { { "in.mid", "-o", "out.mid", "--seed", "1e3" }, false, "--seed" },
    ArgumentCase { { "in.mid", "-o", "out.mid", "--seed", "99999999999999999999" }, false, "--seed" },
    ArgumentCase { { "in.mid", "-o", "out.mid", "--tail", "-1" }, false, "--tail" },
    ArgumentCase { { "in.mid", "-o", "out.mid", "--preset", "" }, false, "--preset" },
    ArgumentCase { { "in.mid", "-o", "out.mid", "--pattern", "  " }, false, "--pattern" }));

//==============================================================================
struct FailureCase
{
    const char* name;
    int expectedStatus;
    // Builds the arguments given the fixture's folder.
    std::function<juce::StringArray (const juce::File& folder, const juce::File& input, const juce::File& output)> args;
};

class RenderFailures : public RenderFixture, public ::testing::WithParamInterface<FailureCase> {};

TEST_P (RenderFailures, FailWithoutTouchingTheOutput)
{
    const auto& c = GetParam();
    writePreset ("broken.xml", "<PARAMETERS><PARAM id=");
    file ("text.mid").replaceWithText ("this is not a MIDI file\n");

    // An existing output must survive a failed run unchanged; a missing one
    // must not appear.
    for (const bool existing : { false, true })
    {
        const auto output = file ("out.mid");
        output.deleteFile();
        if (existing)
        {
            ASSERT_TRUE (output.replaceWithText ("previous"));
        }

        EXPECT_EQ (runRender (c.args (folder, input, output)), c.expectedStatus) << c.name;
        if (existing)
        {
            EXPECT_EQ (output.loadFileAsString(), "previous") << c.name;
        }
        else
        {
            EXPECT_FALSE (output.exists()) << c.name;
        }

        juce::Array<juce::File> leftovers;
        folder.findChildFiles (leftovers, juce::File::findFiles, false, "*temp*");
        EXPECT_TRUE (leftovers.isEmpty()) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P (Table, RenderFailures, ::testing::Values (
    FailureCase { "missing input", exitFailure, [] (auto folder, auto, auto out)
                  { return juce::StringArray { folder.getChildFile ("nope.mid").getFullPathName(), "-o", out.getFullPathName() }; } },
    FailureCase { "input is a folder", exitFailure, [] (auto folder, auto, auto out)
                  { return juce::StringArray { folder.getFullPathName(), "-o", out.getFullPathName() }; } },
    FailureCase { "not a MIDI file", exitFailure, [] (auto folder, auto, auto out)
                  { return juce::StringArray { folder.getChildFile ("text.mid").getFullPathName(), "-o", out.getFullPathName() }; } },
    FailureCase { "unknown preset name", exitFailure, [] (auto, auto in, auto out)
                  { return juce::StringArray { in.getFullPathName(), "-o", out.getFullPathName(), "--preset", "No Such Preset" }; } },
    FailureCase { "missing preset path", exitFailure, [] (auto folder, auto in, auto out)
                  { return juce::StringArray { in.getFullPathName(), "-o", out.getFullPathName(), "--preset", folder.getChildFile ("x/y.xml").getFullPathName() }; } },
    FailureCase { "preset not XML", exitFailure, [] (auto folder, auto in, auto out)
                  { return juce::StringArray { in.getFullPathName(), "-o", out.getFullPathName(), "--preset", folder.getChildFile ("broken.xml").getFullPathName() }; } },
    FailureCase { "unknown pattern", exitFailure, [] (auto, auto in, auto out)
                  { return juce::StringArray { in.getFullPathName(), "-o", out.getFullPathName(), "--pattern", "Nothing Like This" }; } },
    FailureCase { "bad block", exitUsage, [] (auto, auto in, auto out)
                  { return juce::StringArray { in.getFullPathName(), "-o", out.getFullPathName(), "--block", "-3" }; } },
    FailureCase { "bad tail", exitUsage, [] (auto, auto in, auto out)
                  { return juce::StringArray { in.getFullPathName(), "-o", out.getFullPathName(), "--tail", "forever" }; } }));

TEST_F (RenderFixture, WriteIntoAMissingFolderFailsAndCreatesNothing)
{
    const auto target = file ("missing/out.mid");
    juce::String error;
    EXPECT_FALSE (writeMidiFile (makeSong(), target, error));
    EXPECT_TRUE (error.contains ("does not exist")) << error;
    EXPECT_FALSE (target.getParentDirectory().exists());

    EXPECT_EQ (runRender ({ input.getFullPathName(), "-o", target.getFullPathName() }), exitFailure);
    EXPECT_FALSE (target.exists());
}

TEST_F (RenderFixture, WriteOntoAFolderFailsAndLeavesNoTemporaryFile)
{
    const auto target = file ("adir");
    ASSERT_TRUE (target.createDirectory());
    juce::String error;
    EXPECT_FALSE (writeMidiFile (makeSong(), target, error));
    EXPECT_TRUE (target.isDirectory());
    juce::Array<juce::File> leftovers;
    folder.findChildFiles (leftovers, juce::File::findFiles, false, "*temp*");
    EXPECT_TRUE (leftovers.isEmpty());
}

TEST_F (RenderFixture, HelpAndVersionGoToStandardOutput)
{
    std::string text;
    EXPECT_EQ (runRender ({ "--help" }, &text), exitOk);
    EXPECT_NE (text.find ("--preset"), std::string::npos);
    EXPECT_NE (text.find ("--tail"), std::string::npos);
    EXPECT_EQ (runRender ({ "--version" }, &text), exitOk);
    EXPECT_EQ (text.rfind ("rebondo-render ", 0), 0u) << text;
}

//==============================================================================
TEST_F (RenderFixture, SameSeedGivesTheSameBytesAndOnlyRandomModeDependsOnIt)
{
    // arp_type 8 is the random mode; 1 walks the pattern up.
    const auto randomPreset = writePreset ("rnd.xml", presetText ("pattern_name=\"Wide\" pattern_steps=\"0,2,4,5,7,9,11,12\"",
                                                                  param (ParameterIDs::arpType, 8) + lively()));
    const auto upPreset = writePreset ("up.xml", presetText ("pattern_name=\"Wide\" pattern_steps=\"0,2,4,5,7,9,11,12\"",
                                                             param (ParameterIDs::arpType, 1) + lively()));

    auto render = [&] (const juce::File& preset, const char* seed, const juce::String& name)
    {
        const auto out = file (name);
        EXPECT_EQ (runRender ({ input.getFullPathName(), "-o", out.getFullPathName(), "--preset", preset.getFullPathName(), "--seed", seed }), exitOk);
        juce::MemoryBlock bytes;
        EXPECT_TRUE (out.loadFileAsData (bytes));
        EXPECT_GT (bytes.getSize(), 100u);
        return bytes;
    };

    const auto a = render (randomPreset, "7", "a.mid");
    const auto b = render (randomPreset, "7", "b.mid");
    const auto c = render (randomPreset, "8", "c.mid");
    EXPECT_EQ (a, b);
    EXPECT_NE (a, c);

    EXPECT_EQ (render (upPreset, "1", "d.mid"), render (upPreset, "2", "e.mid"));
}

TEST_F (RenderFixture, OutputKeepsTheInputTimeFormatAndTempoMap)
{
    const auto out = file ("out.mid");
    std::string summary;
    ASSERT_EQ (runRender ({ input.getFullPathName(), "-o", out.getFullPathName(), "--seed", "3" }, &summary), exitOk);

    const auto midi = readFile (out);
    EXPECT_EQ (midi.getTimeFormat(), ticksPerQuarter);
    ASSERT_EQ (midi.getNumTracks(), 2);

    juce::MidiMessageSequence tempos;
    midi.findAllTempoEvents (tempos);
    ASSERT_EQ (tempos.getNumEvents(), 2);
    EXPECT_EQ (tempos.getEventPointer (1)->message.getTimeStamp(), 4 * ticksPerQuarter);
    EXPECT_DOUBLE_EQ (tempos.getEventPointer (1)->message.getTempoSecondsPerQuarterNote(), 0.4);

    // The summary counts the input's 28 notes, one ball each, and what came out.
    const auto value = [&summary] (const std::string& label)
    {
        const auto at = summary.find (label);
        return at == std::string::npos ? -1.0 : std::atof (summary.c_str() + at + label.size());
    };
    EXPECT_EQ (value ("Input notes:"), 28.0) << summary;
    EXPECT_EQ (value ("Balls launched:"), 28.0) << summary;
    EXPECT_GE (value ("Output notes:"), 28.0) << summary;
    EXPECT_GE (value ("Peak sounding notes:"), 3.0) << summary; // the first chord
    EXPECT_GT (value ("Rendered duration:"), 6.5) << summary;   // the last note ends at 6.6 s
    EXPECT_GT (value ("Render speed:"), 0.0) << summary;
}

TEST (RenderTempoMap, TicksComeBackThroughJuceConversion)
{
    const auto song = makeSong();
    const auto prepared = prepareInput (song, 48000.0);
    const TempoMap map (prepared.tempoEvents, song.getTimeFormat());

    // Ticks -> seconds by JUCE, then back by the map.
    juce::MidiFile probe;
    probe.setTicksPerQuarterNote (ticksPerQuarter);
    probe.addTrack (*song.getTrack (0));
    juce::MidiMessageSequence marks;
    const double ticks[] = { 0, 1, 479, 1919, 1920, 1921, 5000, 20000 };
    for (double t : ticks)
        marks.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 1).withTimeStamp (t));
    probe.addTrack (marks);
    probe.convertTimestampTicksToSeconds();

    for (int i = 0; i < marks.getNumEvents(); ++i)
        EXPECT_NEAR (map.secondsToTicks (probe.getTrack (1)->getEventPointer (i)->message.getTimeStamp()), ticks[i], 1e-6);

    // 2 s at 120 bpm is bar 2; from there 150 bpm gives 1200 ticks a second.
    EXPECT_NEAR (map.secondsToTicks (3.0), 1920.0 + 1200.0, 1e-6);
}

//==============================================================================
TEST (RenderEngineRun, EventsReachTheProcessorAtTheirSamplesAsInAHandWrittenHostLoop)
{
    const auto input = noteEvents ({ { 1000, true, 60 }, { 1000, true, 64 }, { 20000, false, 60 }, { 48000, false, 64 }, { 70001, true, 67 }, { 90000, false, 67 } });
    RunSettings settings;
    settings.blockSize = 300;
    settings.maxTailSeconds = 20.0;

    CaromelAudioProcessor rendered;
    rendered.setRandomSeed (5);
    const auto run = runProcessor (rendered, input, 90001, settings);

    // Launch notes start exactly where their keys were pressed.
    for (juce::int64 at : { 1000, 70001 })
    {
        const auto found = std::find_if (run.output.begin(), run.output.end(),
                                         [at] (const TimedEvent& e) { return e.sample == at && e.message.isNoteOn(); });
        EXPECT_NE (found, run.output.end()) << "no launch note at " << at;
    }
    EXPECT_EQ (run.ballsLaunched, 3);
    EXPECT_FALSE (run.tailLimitReached);
    EXPECT_EQ (run.renderedSamples % settings.blockSize, 0);
    EXPECT_GT (run.renderedSamples, 90001);

    CaromelAudioProcessor manual;
    manual.setRandomSeed (5);
    manual.setRateAndBufferSizeDetails (48000.0, 300);
    manual.prepareToPlay (48000.0, 300);
    juce::AudioBuffer<float> audio (2, 300);
    std::vector<TimedEvent> expected;
    for (juce::int64 start = 0; start < run.renderedSamples; start += 300)
    {
        juce::MidiBuffer midi;
        for (const auto& e : input)
            if (e.sample >= start && e.sample < start + 300)
                midi.addEvent (e.message, (int) (e.sample - start));
        manual.processBlock (audio, midi);
        for (const auto m : midi)
            expected.push_back ({ start + m.samplePosition, m.getMessage() });
    }

    ASSERT_EQ (run.output.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ (run.output[i].sample, expected[i].sample) << i;
        EXPECT_TRUE (run.output[i].message.getDescription() == expected[i].message.getDescription()) << i;
    }

    // The tail ran until the world was empty.
    EXPECT_TRUE (rendered.balls.empty());
}

TEST (RenderEngineRun, AShortTailStopsWhatStillSounds)
{
    // Held keys and balls that keep their speed: still bouncing when the tail ends.
    CaromelAudioProcessor processor;
    processor.parameters.getParameter (ParameterIDs::decay)->setValueNotifyingHost (1.0f);
    processor.parameters.getParameter (ParameterIDs::bounce)->setValueNotifyingHost (1.0f);
    RunSettings settings;
    settings.maxTailSeconds = 0.0;
    const auto run = runProcessor (processor, noteEvents ({ { 10, true, 60 }, { 100, true, 62 } }), 200, settings);

    // The block with the input, then the one that stops everything.
    EXPECT_TRUE (run.tailLimitReached);
    EXPECT_EQ (run.renderedSamples, 2 * 512);
    EXPECT_TRUE (processor.balls.empty());

    std::vector<std::pair<double, juce::MidiMessage>> events;
    for (const auto& e : run.output)
        events.emplace_back ((double) e.sample, e.message);
    expectEveryNoteStops (events);
}

TEST_F (RenderFixture, FileReadsBackAsWhatTheProcessorProduced)
{
    juce::String error;
    const auto song = readInputFile (input, 44100.0, error);
    ASSERT_TRUE (song.has_value()) << error;
    EXPECT_EQ (song->noteCount, 28);

    CaromelAudioProcessor processor;
    processor.setRandomSeed (11);
    RunSettings settings;
    settings.sampleRate = 44100.0;
    settings.blockSize = 128;
    const auto run = runProcessor (processor, song->events, song->endSample, settings);
    ASSERT_FALSE (run.output.empty());

    const auto out = file ("out.mid");
    ASSERT_TRUE (writeMidiFile (buildOutputFile (*song, run, 44100.0), out, error)) << error;
    const auto readBack = renderedTrack (readFile (out));
    ASSERT_EQ (readBack.size(), run.output.size());

    // Times agree within the rounding to ticks (a tick at 150 bpm is 0.83 ms,
    // plus one tick where a note-off had to move past its note-on).
    const double tolerance = 2.0 * 0.5 / (ticksPerQuarter * 2.0) + 1e-6;

    // Same messages, each kind at the same times...
    std::map<std::string, std::vector<double>> expectedTimes, actualTimes;
    for (const auto& e : run.output)
        expectedTimes[e.message.getDescription().toStdString()].push_back ((double) e.sample / 44100.0);
    for (const auto& [time, m] : readBack)
        actualTimes[m.getDescription().toStdString()].push_back (time);
    ASSERT_EQ (expectedTimes.size(), actualTimes.size());
    for (const auto& [description, times] : expectedTimes)
    {
        const auto& actual = actualTimes[description];
        ASSERT_EQ (actual.size(), times.size()) << description;
        for (size_t i = 0; i < times.size(); ++i)
            EXPECT_NEAR (actual[i], times[i], tolerance) << description;
    }

    // ...and on every key the same order of note-ons and note-offs.
    auto perKey = [] (auto&& messages)
    {
        std::map<std::pair<int, int>, std::string> order;
        for (const auto& m : messages)
            if (m.isNoteOnOrOff())
                order[{ m.getChannel(), m.getNoteNumber() }] += m.isNoteOn() ? '1' : '0';
        return order;
    };
    std::vector<juce::MidiMessage> expectedMessages, actualMessages;
    for (const auto& e : run.output) expectedMessages.push_back (e.message);
    for (const auto& e : readBack)   actualMessages.push_back (e.second);
    EXPECT_EQ (perKey (expectedMessages), perKey (actualMessages));

    expectEveryNoteStops (readBack);
}

TEST_F (RenderFixture, EveryNoteStopsInTheWrittenFileAcrossBlockSizes)
{
    for (const char* block : { "1", "33", "512", "4096" })
    {
        const auto out = file (juce::String ("out") + block + ".mid");
        ASSERT_EQ (runRender ({ input.getFullPathName(), "-o", out.getFullPathName(), "--block", block, "--seed", "1" }), exitOk) << block;
        SCOPED_TRACE (block);
        expectEveryNoteStops (renderedTrack (readFile (out)));
    }
}

//==============================================================================
TEST_F (RenderFixture, PresetGivenByPathIsHonoured)
{
    // Only D in the note set: every note that comes out is a D.
    const auto preset = writePreset ("Only D.xml", presetText ("pattern_name=\"Steps\" pattern_steps=\"0,2,4\" note_mask=\"4\"",
                                                               param (ParameterIDs::mono, 1) + param (ParameterIDs::arpType, 1)));
    const auto out = file ("out.mid");
    ASSERT_EQ (runRender ({ input.getFullPathName(), "-o", out.getFullPathName(), "--preset", preset.getFullPathName(), "--seed", "1" }), exitOk);

    int notes = 0;
    for (const auto& [time, m] : renderedTrack (readFile (out)))
    {
        if (! m.isNoteOn())
            continue;
        ++notes;
        EXPECT_EQ (m.getNoteNumber() % 12, 2) << m.getDescription();
    }
    EXPECT_GT (notes, 28);

    // The same render without the preset plays other pitch classes.
    const auto plain = file ("plain.mid");
    ASSERT_EQ (runRender ({ input.getFullPathName(), "-o", plain.getFullPathName(), "--seed", "1" }), exitOk);
    std::set<int> classes;
    for (const auto& [time, m] : renderedTrack (readFile (plain)))
        if (m.isNoteOn())
            classes.insert (m.getNoteNumber() % 12);
    EXPECT_GT (classes.size(), 3u);
}

TEST_F (RenderFixture, PresetNameIsLookedUpInThePresetFolder)
{
    const rebondo::test::ScopedFreshHome home;
    ASSERT_TRUE (presetFolder().createDirectory());
    ASSERT_TRUE (presetFolder().isAChildOf (home.folder()));
    presetFolder().getChildFile ("Bright.xml").replaceWithText (presetText ("note_mask=\"128\"", param (ParameterIDs::arpType, 1)));

    const auto out = file ("out.mid");
    ASSERT_EQ (runRender ({ input.getFullPathName(), "-o", out.getFullPathName(), "--preset", "Bright" }), exitOk);
    int notes = 0;
    for (const auto& [time, m] : renderedTrack (readFile (out)))
    {
        if (m.isNoteOn())
        {
            ++notes;
            EXPECT_EQ (m.getNoteNumber() % 12, 7);
        }
    }
    EXPECT_GT (notes, 0);
}

//==============================================================================
struct PresetCase
{
    const char* name;
    juce::String attributes;
    juce::String expectedPattern;
    std::vector<int> expectedSteps;
    int expectedMask;
};

class RenderPresetDocument : public ::testing::TestWithParam<PresetCase> {};

TEST_P (RenderPresetDocument, ResolvesThePatternAndMaskLikeTheEditor)
{
    const auto& c = GetParam();
    const std::vector<PatternDefinition> library { { "Major Triad", { 0, 4, 7 } }, { "Minor 11", { 0, 3, 7, 10, 17 } } };

    CaromelAudioProcessor processor;
    processor.setCurrentPattern ("Before", { 1, 2 });
    processor.setNoteMask (2741);

    processor.patternManager.patterns = library;

    const rebondo::test::ScopedFreshHome home;
    const auto file = home.folder().getChildFile ("Mine.XML");
    ASSERT_TRUE (file.replaceWithText (presetText (c.attributes, param (ParameterIDs::bounce, 0.9)
                                                                  + param (ParameterIDs::topWidth, 100.0)
                                                                  + param ("not_a_parameter", 1.0)
                                                                  + param (ParameterIDs::collision, 1.0))));
    juce::String error;
    ASSERT_TRUE (applyPresetFile (processor, file, error)) << error;

    EXPECT_EQ (processor.getCurrentPatternName(), c.expectedPattern) << c.name;
    EXPECT_EQ (processor.getCurrentPatternSteps(), c.expectedSteps) << c.name;
    EXPECT_EQ (processor.noteMask.load(), c.expectedMask) << c.name;
    EXPECT_EQ (processor.currentPresetName, "Mine");

    EXPECT_NEAR (processor.parameters.getRawParameterValue (ParameterIDs::bounce)->load(), 0.9f, 1e-4f);
    EXPECT_FLOAT_EQ (processor.parameters.getRawParameterValue (ParameterIDs::topWidth)->load(), 8.0f); // clamped to the range
    EXPECT_FLOAT_EQ (processor.topWidth.load(), PhysicsWorld::maxWidth());                          // and to the funnel
    EXPECT_TRUE (processor.collisionEnabled.load());
    EXPECT_FALSE (processor.panicMode.load());
}

INSTANTIATE_TEST_SUITE_P (Table, RenderPresetDocument, ::testing::Values (
    PresetCase { "library name wins over steps", "pattern_name=\"Minor 11\" pattern_steps=\"0,4,7,12\" note_mask=\"1365\"", "Minor 11", { 0, 3, 7, 10, 17 }, 1365 },
    PresetCase { "steps found in the library", "pattern_name=\"Unknown\" pattern_steps=\"0,4,7\"", "Major Triad", { 0, 4, 7 }, 2741 },
    PresetCase { "own steps under own name", "pattern_name=\"Fanfare\" pattern_steps=\"0,7,4,7,12\"", "Fanfare", { 0, 7, 4, 7, 12 }, 2741 },
    PresetCase { "degrees without a name", "pattern_degrees=\"0, -3 ,x5\" note_mask=\"0\"", "Custom", { 0, -3, 0 }, 1 },
    PresetCase { "no pattern leaves it", "note_mask=\"8193\"", "Before", { 1, 2 }, 1 }));

//==============================================================================
TEST (RenderPatternLibrary, ReadsEntriesWithTheLibraryLimits)
{
    const rebondo::test::ScopedFreshHome home;
    const auto f = home.folder().getChildFile ("user.patterns");
    f.replaceWithText ("<?xml version=\"1.0\"?>\n<PATTERNS version=\"1\">\n"
                       "  <PATTERN name=\" Gaps \" steps=\"0,,4\"/>\n"
                       "  <PATTERN name=\"Ranges\" steps=\"0,60,-99,4,-49,48\"/>\n"
                       "  <PATTERN name=\"Long\" steps=\"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20\"/>\n"
                       "  <PATTERN name=\"\" steps=\"0\"/>\n"
                       "  <PATTERN name=\"Empty\" steps=\"\"/>\n"
                       "  <PATTERN name=\"Only Out\" steps=\"70\"/>\n"
                       "  <OTHER name=\"x\" steps=\"1\"/>\n"
                       "  <PATTERN name=\"gaps\" steps=\"9\"/>\n"
                       "</PATTERNS>\n");

    const auto library = readPatternLibrary (f);
    ASSERT_EQ (library.size(), 4u);
    EXPECT_EQ (library[0].name, "Gaps");
    EXPECT_EQ (library[0].steps, (std::vector<int> { 0, 0, 4 }));
    EXPECT_EQ (library[1].steps, (std::vector<int> { 0, -99, 4, 48 }));
    EXPECT_EQ (library[2].steps.size(), 16u);
    EXPECT_EQ (library[2].steps.back(), 16);

    ASSERT_NE (findPattern (library, "  gAPS "), nullptr);
    EXPECT_EQ (findPattern (library, "  gAPS ")->steps.size(), 3u); // the first of two equal names
    EXPECT_EQ (findPattern (library, "Nope"), nullptr);

    f.replaceWithText ("<SOMETHING><PATTERN name=\"A\" steps=\"1\"/></SOMETHING>");
    EXPECT_TRUE (readPatternLibrary (f).empty());
}

TEST_F (RenderFixture, PatternOptionPlaysTheLibraryPattern)
{
    const rebondo::test::ScopedFreshHome home;
    ASSERT_TRUE (presetFolder().createDirectory());
    presetFolder().getChildFile ("user.patterns").replaceWithText (
        "<PATTERNS version=\"1\"><PATTERN name=\"Fifths Up\" steps=\"0,7\"/></PATTERNS>");

    // A chromatic note set, so the pattern shows unchanged: with UP and the
    // steps 0,7 the bounces alternate between launch + 7 and the launch note.
    const auto preset = writePreset ("chromatic.xml", presetText ("note_mask=\"4095\"", param (ParameterIDs::arpType, 1) + lively()));
    const auto single = file ("single.mid");
    juce::MidiFile midi;
    midi.setTicksPerQuarterNote (96);
    juce::MidiMessageSequence track;
    track.addEvent (juce::MidiMessage::noteOn (1, 61, (juce::uint8) 120).withTimeStamp (0));
    track.addEvent (juce::MidiMessage::noteOff (1, 61).withTimeStamp (48));
    midi.addTrack (track);
    ASSERT_TRUE (writeFile (midi, single));

    const auto out = file ("out.mid");
    ASSERT_EQ (runRender ({ single.getFullPathName(), "-o", out.getFullPathName(), "--preset", preset.getFullPathName(), "--pattern", "fifths up" }), exitOk);

    std::set<int> notes;
    int noteOns = 0;
    for (const auto& [time, m] : renderedTrack (readFile (out)))
        if (m.isNoteOn())
        {
            notes.insert (m.getNoteNumber());
            ++noteOns;
        }
    EXPECT_GE (noteOns, 8);
    EXPECT_EQ (notes, (std::set<int> { 61, 68 }));
}
