#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <functional>
#include <optional>
#include <ostream>
#include <vector>

class CaromelAudioProcessor;

// The offline renderer: plays a MIDI file through the processor block by
// block, as a host would, and writes what comes out as a MIDI file.
namespace rebondo::render
{
    inline constexpr int exitOk = 0;
    inline constexpr int exitFailure = 1; // input, preset, pattern or write
    inline constexpr int exitUsage = 2;   // bad command line

    struct Options
    {
        juce::File input, output;
        juce::String preset, pattern;
        double sampleRate = 48000.0;
        int blockSize = 512;
        std::optional<juce::int64> seed;
        double maxTailSeconds = 60.0;
        bool showHelp = false;
        bool showVersion = false;
    };

    // Parses the arguments (without the program name). Returns nothing and
    // sets error when they are not usable.
    std::optional<Options> parseArguments (const juce::StringArray& args, juce::String& error);
    juce::String usageText();
    juce::String versionText();

    struct TimedEvent
    {
        juce::int64 sample = 0;
        juce::MidiMessage message;
    };

    // Seconds <-> ticks along a file's tempo map (or its SMPTE rate).
    class TempoMap
    {
    public:
        TempoMap (const juce::MidiMessageSequence& tempoEventsInTicks, short timeFormat);
        double secondsToTicks (double seconds) const noexcept;

    private:
        struct Segment { double tick, seconds, secondsPerTick; };
        std::vector<Segment> segments;
    };

    // A MIDI file read for rendering.
    struct InputSong
    {
        short timeFormat = 960;
        juce::MidiMessageSequence tempoEvents; // tempo, time and key signatures, in ticks
        std::vector<TimedEvent> events;        // every track merged, in time order, no meta events
        juce::int64 endSample = 0;             // the file's last timestamp
        int noteCount = 0;
    };

    std::optional<InputSong> readInputFile (const juce::File& file, double sampleRate, juce::String& error);
    InputSong prepareInput (const juce::MidiFile& fileInTicks, double sampleRate);

    struct RunSettings
    {
        double sampleRate = 48000.0;
        int blockSize = 512;
        double maxTailSeconds = 60.0;
    };

    struct RunResult
    {
        std::vector<TimedEvent> output;
        juce::int64 renderedSamples = 0;
        int ballsLaunched = 0;
        bool tailLimitReached = false;
        double wallSeconds = 0.0;
    };

    // Called after each block with the samples done and the input's length.
    using ProgressCallback = std::function<void (juce::int64 samplesDone, juce::int64 inputSamples)>;

    // Prepares the processor and runs it over the events, then on until every
    // ball has left the world and every note-off is out. When the tail limit
    // is reached first, a panic stops what still sounds.
    RunResult runProcessor (CaromelAudioProcessor& processor, const std::vector<TimedEvent>& input,
                            juce::int64 inputEndSample, const RunSettings& settings,
                            const ProgressCallback& progress = {});

    // The output file: the input's time format, its tempo map in track 0 and
    // the rendered events in track 1.
    juce::MidiFile buildOutputFile (const InputSong& song, const RunResult& run, double sampleRate);

    // Writes through a temporary file beside the target, so that a failed
    // write never leaves a partial file.
    bool writeMidiFile (const juce::MidiFile& file, const juce::File& target, juce::String& error);

    struct Summary
    {
        int inputNotes = 0;
        int ballsLaunched = 0;
        int outputNotes = 0;
        int peakSoundingNotes = 0;
        double renderedSeconds = 0.0;
        double speed = 0.0; // multiple of real time
    };

    Summary summarise (const InputSong& song, const RunResult& run, double sampleRate);
    juce::String formatSummary (const Summary& summary);

    // The whole program: summary to out, errors to standard error; returns
    // the exit status.
    int runCommandLine (const juce::StringArray& args, std::ostream& out);
}
