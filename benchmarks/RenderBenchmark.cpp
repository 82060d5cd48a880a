// Render speed, as a multiple of real time, for the example song and for a
// dense three-minute song made here, both with the Default preset.
#include "PresetBridge.h"
#include "Renderer.h"

#include "engine/PluginProcessor.h"

#include "BenchmarkMain.h"

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

#include <cstdlib>
#include <memory>

using namespace rebondo::render;

namespace
{
    constexpr double sampleRate = 48000.0;
    constexpr int blockSize = 512;

    // The factory Default preset, used when the preset folder has none yet.
    const char* const defaultPresetText = R"(<?xml version="1.0" encoding="UTF-8"?>
<PARAMETERS pattern_name="Major Triad" pattern_steps="0,4,7" ui_colour="ff20b2aa" note_mask="2741" root="0" scale="0">
  <PARAM id="bounce" value="0.95"/>
  <PARAM id="decay" value="0.84"/>
  <PARAM id="velocity" value="113.0400009155273"/>
  <PARAM id="gravity" value="85.51999664306641"/>
  <PARAM id="time" value="0.5"/>
  <PARAM id="arp_type" value="1.0"/>
  <PARAM id="dynamic" value="0.0"/>
  <PARAM id="collision" value="0.0"/>
  <PARAM id="max_bounces" value="8.0"/>
  <PARAM id="mod" value="0.0"/>
  <PARAM id="mono" value="0.0"/>
  <PARAM id="bottom_width" value="1.199999928474426"/>
  <PARAM id="top_width" value="5.0"/>
  <PARAM id="launch_pos" value="0.5"/>
</PARAMETERS>
)";

    juce::File defaultPreset()
    {
        const auto installed = resolvePresetFile ("Default");
        if (installed.existsAsFile())
            return installed;

        static const juce::File embedded = []
        {
            auto f = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("rebondo-bench-Default.xml");
            f.replaceWithText (defaultPresetText);
            return f;
        }();
        return embedded;
    }

    // Three minutes at 120 bpm: a four-note chord on every beat and a
    // sixteenth-note line over it, about 4300 notes.
    juce::MidiFile makeDenseSong()
    {
        constexpr int tpq = 480;
        juce::MidiFile file;
        file.setTicksPerQuarterNote (tpq);
        juce::MidiMessageSequence tempo, notes;
        tempo.addEvent (juce::MidiMessage::tempoMetaEvent (500000).withTimeStamp (0));

        const int chordRoots[] = { 48, 57, 53, 55 };
        for (int beat = 0; beat < 360; ++beat)
        {
            const double start = beat * (double) tpq;
            const int root = chordRoots[(beat / 4) % 4];
            for (int offset : { 0, 4, 7, 12 })
            {
                notes.addEvent (juce::MidiMessage::noteOn (1, root + offset, (juce::uint8) 80).withTimeStamp (start));
                notes.addEvent (juce::MidiMessage::noteOff (1, root + offset).withTimeStamp (start + tpq * 0.9));
            }
            for (int sixteenth = 0; sixteenth < 4; ++sixteenth)
            {
                const int key = 72 + ((beat * 4 + sixteenth) * 7) % 15;
                const double at = start + sixteenth * tpq / 4.0;
                notes.addEvent (juce::MidiMessage::noteOn (2, key, (juce::uint8) 100).withTimeStamp (at));
                notes.addEvent (juce::MidiMessage::noteOff (2, key).withTimeStamp (at + tpq / 8.0));
            }
        }
        notes.updateMatchedPairs();
        file.addTrack (tempo);
        file.addTrack (notes);
        return file;
    }

    InputSong exampleSong()
    {
        juce::String error;
        auto song = readInputFile (juce::File (REBONDO_EXAMPLE_MIDI), sampleRate, error);
        if (! song)
        {
            std::fprintf (stderr, "%s\n", error.toRawUTF8());
            std::exit (1);
        }
        return *song;
    }

    void renderWithDefaultPreset (benchmark::State& state, const InputSong& song)
    {
        RunSettings settings;
        settings.sampleRate = sampleRate;
        settings.blockSize = blockSize;

        double renderedSeconds = 0.0;
        int outputNotes = 0;
        for (auto _ : state)
        {
            state.PauseTiming();
            auto processor = std::make_unique<CaromelAudioProcessor>();
            juce::String error;
            applyPresetFile (*processor, defaultPreset(), error);
            processor->setRandomSeed (1);
            state.ResumeTiming();

            const auto run = runProcessor (*processor, song.events, song.endSample, settings);

            state.PauseTiming();
            const auto summary = summarise (song, run, sampleRate);
            renderedSeconds += summary.renderedSeconds;
            outputNotes = summary.outputNotes;
            processor.reset();
            state.ResumeTiming();
        }

        // Rendered seconds per second of wall time: the multiple of real time.
        state.counters["x_realtime"] = benchmark::Counter (renderedSeconds, benchmark::Counter::kIsRate);
        state.counters["input_notes"] = song.noteCount;
        state.counters["output_notes"] = outputNotes;
    }

    void BM_RenderExample (benchmark::State& state)
    {
        static const auto song = exampleSong();
        renderWithDefaultPreset (state, song);
    }

    void BM_RenderDenseThreeMinutes (benchmark::State& state)
    {
        static const auto song = prepareInput (makeDenseSong(), sampleRate);
        renderWithDefaultPreset (state, song);
    }
}

BENCHMARK (BM_RenderExample)->Unit (benchmark::kMillisecond)->UseRealTime()->MinTime (2.0);
BENCHMARK (BM_RenderDenseThreeMinutes)->Unit (benchmark::kMillisecond)->UseRealTime()->Iterations (3);

int main (int argc, char** argv)
{
    return runBenchmarksInTemporaryHome (argc, argv);
}
