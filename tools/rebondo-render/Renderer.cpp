#include "Renderer.h"

#include "PresetBridge.h"
#include "engine/Diagnostics.h"
#include "engine/PluginProcessor.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <unistd.h>

#ifndef REBONDO_RENDER_VERSION
 #define REBONDO_RENDER_VERSION "1.0.0"
#endif

namespace rebondo::render
{
    namespace
    {
        constexpr double minSampleRate = 8000.0, maxSampleRate = 384000.0;
        constexpr int minBlockSize = 1, maxBlockSize = 65536;
        constexpr double maxTailLimit = 3600.0;

        std::optional<double> parseNumber (const juce::String& text)
        {
            const auto s = text.trim();
            if (s.isEmpty())
                return {};
            const char* begin = s.toRawUTF8();
            char* end = nullptr;
            errno = 0;
            const double value = std::strtod (begin, &end);
            if (end == begin || *end != '\0' || errno != 0 || ! std::isfinite (value))
                return {};
            return value;
        }

        std::optional<juce::int64> parseInteger (const juce::String& text)
        {
            const auto s = text.trim();
            if (s.isEmpty())
                return {};
            const char* begin = s.toRawUTF8();
            char* end = nullptr;
            errno = 0;
            const long long value = std::strtoll (begin, &end, 10);
            if (end == begin || *end != '\0' || errno != 0)
                return {};
            return (juce::int64) value;
        }

        bool isMetaOrEnd (const juce::MidiMessage& m) { return m.isMetaEvent(); }

        bool isTempoMapEvent (const juce::MidiMessage& m)
        {
            return m.isTempoMetaEvent() || m.isTimeSignatureMetaEvent() || m.isKeySignatureMetaEvent();
        }

        bool isNoteOn (const juce::MidiMessage& m) { return m.isNoteOn(); } // velocity above 0
    }

    //==========================================================================
    juce::String versionText()
    {
        return juce::String ("rebondo-render ") + REBONDO_RENDER_VERSION;
    }

    juce::String usageText()
    {
        return juce::String()
            + "Usage: rebondo-render INPUT.mid -o OUTPUT.mid [options]\n"
            + "\n"
            + "Plays a MIDI file through Rebondo, block by block as a plug-in host would,\n"
            + "and writes the notes it generates to a new MIDI file.\n"
            + "\n"
            + "Options:\n"
            + "  -o, --output FILE     the MIDI file to write (required)\n"
            + "  --preset NAME|FILE    a preset from the preset folder, or a preset file\n"
            + "  --pattern NAME        a pattern from the pattern library (user.patterns)\n"
            + "  --sample-rate HZ      sample rate, 8000 to 384000 (default 48000)\n"
            + "  --block SAMPLES       block size, 1 to 65536 (default 512)\n"
            + "  --seed N              seed for the RND arpeggiator; the same seed gives\n"
            + "                        the same output bytes (default: random)\n"
            + "  --tail SECONDS        longest time rendered after the input ends while\n"
            + "                        balls are still moving, 0 to 3600 (default 60)\n"
            + "  -h, --help            show this text\n"
            + "  --version             show the version\n"
            + "\n"
            + "Presets are looked up in " + presetFolder().getFullPathName() + "\n";
    }

    std::optional<Options> parseArguments (const juce::StringArray& args, juce::String& error)
    {
        Options options;
        bool haveInput = false, haveOutput = false;

        for (int i = 0; i < args.size(); ++i)
        {
            juce::String arg = args[i];
            juce::String value;
            bool inlineValue = false;

            if (arg.startsWith ("--") && arg.containsChar ('='))
            {
                value = arg.fromFirstOccurrenceOf ("=", false, false);
                arg = arg.upToFirstOccurrenceOf ("=", false, false);
                inlineValue = true;
            }

            auto takeValue = [&] () -> bool
            {
                if (inlineValue)
                    return true;
                if (i + 1 >= args.size())
                {
                    error = arg + " needs a value";
                    return false;
                }
                value = args[++i];
                return true;
            };

            if (arg == "-h" || arg == "--help")          { options.showHelp = true; }
            else if (arg == "--version")                 { options.showVersion = true; }
            else if (arg == "-o" || arg == "--output")
            {
                if (! takeValue()) return {};
                if (value.isEmpty()) { error = arg + " needs a file name"; return {}; }
                options.output = juce::File::getCurrentWorkingDirectory().getChildFile (value);
                haveOutput = true;
            }
            else if (arg == "--preset")
            {
                if (! takeValue()) return {};
                if (value.trim().isEmpty()) { error = "--preset needs a preset name or file"; return {}; }
                options.preset = value;
            }
            else if (arg == "--pattern")
            {
                if (! takeValue()) return {};
                if (value.trim().isEmpty()) { error = "--pattern needs a pattern name"; return {}; }
                options.pattern = value;
            }
            else if (arg == "--sample-rate")
            {
                if (! takeValue()) return {};
                const auto rate = parseNumber (value);
                if (! rate || *rate < minSampleRate || *rate > maxSampleRate)
                {
                    error = "--sample-rate needs a number from 8000 to 384000, got '" + value + "'";
                    return {};
                }
                options.sampleRate = *rate;
            }
            else if (arg == "--block")
            {
                if (! takeValue()) return {};
                const auto size = parseInteger (value);
                if (! size || *size < minBlockSize || *size > maxBlockSize)
                {
                    error = "--block needs a whole number from 1 to 65536, got '" + value + "'";
                    return {};
                }
                options.blockSize = (int) *size;
            }
            else if (arg == "--seed")
            {
                if (! takeValue()) return {};
                const auto seed = parseInteger (value);
                if (! seed)
                {
                    error = "--seed needs a whole number, got '" + value + "'";
                    return {};
                }
                options.seed = *seed;
            }
            else if (arg == "--tail")
            {
                if (! takeValue()) return {};
                const auto tail = parseNumber (value);
                if (! tail || *tail < 0.0 || *tail > maxTailLimit)
                {
                    error = "--tail needs a number of seconds from 0 to 3600, got '" + value + "'";
                    return {};
                }
                options.maxTailSeconds = *tail;
            }
            else if (arg.startsWith ("-") && arg != "-")
            {
                error = "unknown option '" + arg + "'";
                return {};
            }
            else
            {
                if (haveInput)
                {
                    error = "only one input file can be given (got '" + options.input.getFullPathName() + "' and '" + arg + "')";
                    return {};
                }
                options.input = juce::File::getCurrentWorkingDirectory().getChildFile (arg);
                haveInput = true;
            }
        }

        if (options.showHelp || options.showVersion)
            return options;

        if (! haveInput)
        {
            error = "no input MIDI file given";
            return {};
        }
        if (! haveOutput)
        {
            error = "no output file given (use -o OUTPUT.mid)";
            return {};
        }
        if (options.output == options.input)
        {
            error = "the output file must not be the input file";
            return {};
        }
        return options;
    }

    //==========================================================================
    TempoMap::TempoMap (const juce::MidiMessageSequence& tempoEventsInTicks, short timeFormat)
    {
        if (timeFormat < 0)
        {
            // SMPTE: a fixed number of ticks per second.
            const double ticksPerSecond = (double) (-(timeFormat >> 8)) * (double) (timeFormat & 0xff);
            segments.push_back ({ 0.0, 0.0, 1.0 / juce::jmax (1.0, ticksPerSecond) });
            return;
        }

        const double tickLength = 1.0 / juce::jmax (1, timeFormat & 0x7fff);
        segments.push_back ({ 0.0, 0.0, 0.5 * tickLength }); // 120 bpm until the first tempo

        for (const auto* holder : tempoEventsInTicks)
        {
            const auto& m = holder->message;
            if (! m.isTempoMetaEvent())
                continue;

            const double tick = juce::jmax (0.0, m.getTimeStamp());
            const double secondsPerTick = tickLength * m.getTempoSecondsPerQuarterNote();
            auto& last = segments.back();

            if (tick <= last.tick)
            {
                last.secondsPerTick = secondsPerTick; // the last tempo at a tick wins
                continue;
            }

            const double seconds = last.seconds + (tick - last.tick) * last.secondsPerTick;
            segments.push_back ({ tick, seconds, secondsPerTick });
        }
    }

    double TempoMap::secondsToTicks (double seconds) const noexcept
    {
        auto segment = segments.begin();
        for (auto it = segments.begin(); it != segments.end() && it->seconds <= seconds; ++it)
            segment = it;

        if (segment->secondsPerTick <= 0.0)
            return segment->tick;
        return segment->tick + (seconds - segment->seconds) / segment->secondsPerTick;
    }

    //==========================================================================
    InputSong prepareInput (const juce::MidiFile& fileInTicks, double sampleRate)
    {
        InputSong song;
        song.timeFormat = fileInTicks.getTimeFormat();

        for (int t = 0; t < fileInTicks.getNumTracks(); ++t)
            for (const auto* holder : *fileInTicks.getTrack (t))
                if (isTempoMapEvent (holder->message))
                    song.tempoEvents.addEvent (holder->message);
        song.tempoEvents.sort();

        juce::MidiFile inSeconds (fileInTicks);
        inSeconds.convertTimestampTicksToSeconds();

        for (int t = 0; t < inSeconds.getNumTracks(); ++t)
        {
            for (const auto* holder : *inSeconds.getTrack (t))
            {
                const auto& m = holder->message;
                if (isMetaOrEnd (m))
                    continue;

                const auto sample = (juce::int64) std::llround (juce::jmax (0.0, m.getTimeStamp()) * sampleRate);
                song.events.push_back ({ sample, m });
                if (isNoteOn (m))
                    ++song.noteCount;
            }
        }

        // Tracks are concatenated in order, so equal times keep track order.
        std::stable_sort (song.events.begin(), song.events.end(),
                          [] (const TimedEvent& a, const TimedEvent& b) { return a.sample < b.sample; });

        song.endSample = (juce::int64) std::llround (juce::jmax (0.0, inSeconds.getLastTimestamp()) * sampleRate);
        if (! song.events.empty())
            song.endSample = juce::jmax (song.endSample, song.events.back().sample + 1);
        return song;
    }

    std::optional<InputSong> readInputFile (const juce::File& file, double sampleRate, juce::String& error)
    {
        if (file.isDirectory())
        {
            error = "the input is a folder, not a MIDI file: " + file.getFullPathName();
            return {};
        }
        if (! file.existsAsFile())
        {
            error = "input file not found: " + file.getFullPathName();
            return {};
        }

        juce::FileInputStream stream (file);
        if (! stream.openedOk())
        {
            error = "cannot read the input file: " + file.getFullPathName() + " (" + stream.getStatus().getErrorMessage() + ")";
            return {};
        }

        juce::MidiFile midiFile;
        if (! midiFile.readFrom (stream, false))
        {
            error = "not a MIDI file: " + file.getFullPathName();
            return {};
        }

        return prepareInput (midiFile, sampleRate);
    }

    //==========================================================================
    namespace
    {
        bool engineIsIdle (const CaromelAudioProcessor& processor)
        {
            if (! processor.balls.empty())
                return false;
            return std::all_of (processor.scheduler.pendingNoteOffs.begin(), processor.scheduler.pendingNoteOffs.end(),
                                [] (const PendingNoteOff& p) { return p.cancelled; });
        }
    }

    RunResult runProcessor (CaromelAudioProcessor& processor, const std::vector<TimedEvent>& input,
                            juce::int64 inputEndSample, const RunSettings& settings, const ProgressCallback& progress)
    {
        RunResult result;
        const int blockSize = juce::jmax (1, settings.blockSize);
        const auto started = std::chrono::steady_clock::now();

        processor.setRateAndBufferSizeDetails (settings.sampleRate, blockSize);
        processor.prepareToPlay (settings.sampleRate, blockSize);

        juce::AudioBuffer<float> audio (juce::jmax (1, processor.getTotalNumOutputChannels()), blockSize);
        juce::MidiBuffer midi;
        midi.ensureSize (4096);
        result.output.reserve (input.size() * 8 + 256);

        if (! input.empty())
            inputEndSample = juce::jmax (inputEndSample, input.back().sample + 1);
        const auto tailLimit = (juce::int64) std::llround (settings.maxTailSeconds * settings.sampleRate);

        size_t next = 0;
        juce::int64 position = 0;
        bool panicSent = false;

        for (;;)
        {
            midi.clear();
            const auto blockEnd = position + blockSize;
            for (; next < input.size() && input[next].sample < blockEnd; ++next)
            {
                const auto& event = input[next];
                midi.addEvent (event.message, (int) (event.sample - position));
                if (event.message.isNoteOn() && ! processor.patternInputEnabled.load())
                    ++result.ballsLaunched;
            }

            processor.processBlock (audio, midi);

            for (const auto metadata : midi)
                result.output.push_back ({ position + metadata.samplePosition, metadata.getMessage() });

            position = blockEnd;

            if (progress)
                progress (position, inputEndSample);

            if (next < input.size() || position < inputEndSample)
                continue;

            if (engineIsIdle (processor))
                break;

            if (position - inputEndSample >= tailLimit)
            {
                if (panicSent)
                    break;
                // Out of time: stop every ball and note in the next block.
                processor.requestPanic();
                panicSent = true;
                result.tailLimitReached = true;
            }
        }

        result.renderedSamples = position;
        result.wallSeconds = std::chrono::duration<double> (std::chrono::steady_clock::now() - started).count();
        return result;
    }

    //==========================================================================
    juce::MidiFile buildOutputFile (const InputSong& song, const RunResult& run, double sampleRate)
    {
        juce::MidiFile file;
        if (song.timeFormat < 0)
            file.setSmpteTimeFormat (-(song.timeFormat >> 8), song.timeFormat & 0xff);
        else
            file.setTicksPerQuarterNote (juce::jmax (1, (int) song.timeFormat));

        file.addTrack (song.tempoEvents);

        const TempoMap tempoMap (song.tempoEvents, song.timeFormat);
        juce::MidiMessageSequence track;

        // Ticks are coarser than samples: a note-off that would share the
        // tick of its own note-on moves one tick later (and everything after
        // it keeps its order), so that no note reads back with zero length.
        std::array<std::array<juce::int64, 128>, 16> onTick {};
        for (auto& channel : onTick)
            channel.fill (-1);
        juce::int64 floorTick = 0;

        for (const auto& event : run.output)
        {
            const double seconds = (double) event.sample / sampleRate;
            auto tick = juce::jmax (floorTick, (juce::int64) std::llround (tempoMap.secondsToTicks (seconds)));
            const auto& m = event.message;

            if (m.isNoteOnOrOff())
            {
                auto& sounding = onTick[(size_t) (m.getChannel() - 1)][(size_t) (m.getNoteNumber() & 0x7f)];
                if (m.isNoteOn())
                {
                    sounding = tick;
                }
                else
                {
                    if (sounding >= 0 && tick <= sounding)
                        tick = sounding + 1;
                    sounding = -1;
                }
            }

            floorTick = tick;
            auto copy = m;
            copy.setTimeStamp ((double) tick);
            track.addEvent (copy);
        }

        const auto endTick = juce::jmax (floorTick, (juce::int64) std::llround (tempoMap.secondsToTicks ((double) run.renderedSamples / sampleRate)));
        auto end = juce::MidiMessage::endOfTrack();
        end.setTimeStamp ((double) endTick);
        track.addEvent (end);

        file.addTrack (track);
        return file;
    }

    bool writeMidiFile (const juce::MidiFile& file, const juce::File& target, juce::String& error)
    {
        if (! target.getParentDirectory().isDirectory())
        {
            error = "the output folder does not exist: " + target.getParentDirectory().getFullPathName();
            return false;
        }
        if (target.isDirectory())
        {
            error = "the output is a folder: " + target.getFullPathName();
            return false;
        }

        juce::TemporaryFile temporary (target);
        {
            juce::FileOutputStream stream (temporary.getFile());
            if (! stream.openedOk())
            {
                error = "cannot write the output file: " + target.getFullPathName() + " (" + stream.getStatus().getErrorMessage() + ")";
                return false;
            }
            if (! file.writeTo (stream, 1) || ! stream.getStatus().wasOk())
            {
                error = "writing the output file failed: " + target.getFullPathName();
                return false;
            }
            stream.flush();
            if (! stream.getStatus().wasOk())
            {
                error = "writing the output file failed: " + target.getFullPathName();
                return false;
            }
        }

        if (! temporary.overwriteTargetFileWithTemporary())
        {
            error = "cannot replace the output file: " + target.getFullPathName();
            return false;
        }
        return true;
    }

    //==========================================================================
    Summary summarise (const InputSong& song, const RunResult& run, double sampleRate)
    {
        Summary summary;
        summary.inputNotes = song.noteCount;
        summary.ballsLaunched = run.ballsLaunched;
        summary.renderedSeconds = (double) run.renderedSamples / sampleRate;
        summary.speed = run.wallSeconds > 0.0 ? summary.renderedSeconds / run.wallSeconds : 0.0;

        std::array<std::array<bool, 128>, 16> sounding {};
        int count = 0;

        for (const auto& event : run.output)
        {
            const auto& m = event.message;
            if (m.getChannel() < 1)
                continue;
            auto& channel = sounding[(size_t) (m.getChannel() - 1)];

            if (m.isNoteOn())
            {
                ++summary.outputNotes;
                if (! channel[(size_t) m.getNoteNumber()])
                {
                    channel[(size_t) m.getNoteNumber()] = true;
                    summary.peakSoundingNotes = juce::jmax (summary.peakSoundingNotes, ++count);
                }
            }
            else if (m.isNoteOff())
            {
                if (channel[(size_t) m.getNoteNumber()])
                {
                    channel[(size_t) m.getNoteNumber()] = false;
                    --count;
                }
            }
            else if (m.isAllNotesOff() || m.isAllSoundOff())
            {
                for (auto& key : channel)
                    if (key) { key = false; --count; }
            }
        }

        return summary;
    }

    juce::String formatSummary (const Summary& s)
    {
        auto line = [] (const char* label, const juce::String& value)
        {
            return juce::String (label).paddedRight (' ', 21) + value + "\n";
        };
        return line ("Input notes:", juce::String (s.inputNotes))
             + line ("Balls launched:", juce::String (s.ballsLaunched))
             + line ("Output notes:", juce::String (s.outputNotes))
             + line ("Peak sounding notes:", juce::String (s.peakSoundingNotes))
             + line ("Rendered duration:", juce::String (s.renderedSeconds, 2) + " s")
             + line ("Render speed:", juce::String (s.speed, 1) + "x real time");
    }

    //==========================================================================
    namespace
    {
        // A bar on standard error, only on a terminal and only once the
        // render has taken a second.
        class ProgressBar
        {
        public:
            ProgressBar() : enabled (isatty (STDERR_FILENO) != 0), started (std::chrono::steady_clock::now()) {}

            ~ProgressBar()
            {
                if (drawn)
                    std::cerr << '\n' << std::flush;
            }

            void update (juce::int64 done, juce::int64 inputSamples, double sampleRate)
            {
                if (! enabled)
                    return;
                const auto now = std::chrono::steady_clock::now();
                if (now - started < std::chrono::seconds (1) || now - lastDraw < std::chrono::milliseconds (100))
                    return;
                lastDraw = now;
                drawn = true;

                constexpr int width = 40;
                juce::String line ("\r[");
                if (done < inputSamples && inputSamples > 0)
                {
                    const double fraction = (double) done / (double) inputSamples;
                    const int filled = (int) (fraction * width);
                    line << juce::String::repeatedString ("#", filled) << juce::String::repeatedString ("-", width - filled)
                         << "] " << juce::String (juce::roundToInt (fraction * 100.0)) << "%   ";
                }
                else
                {
                    line << juce::String::repeatedString ("#", width) << "] tail "
                         << juce::String ((double) (done - inputSamples) / sampleRate, 1) << " s   ";
                }
                std::cerr << line.toStdString() << std::flush;
            }

        private:
            bool enabled, drawn = false;
            std::chrono::steady_clock::time_point started, lastDraw;
        };

        int fail (const juce::String& message, int status)
        {
            writeDiagnosticLine ("rebondo-render: error: " + message);
            if (status == exitUsage)
                writeDiagnosticLine ("Try 'rebondo-render --help'.");
            return status;
        }
    }

    int runCommandLine (const juce::StringArray& args, std::ostream& out)
    {
        juce::String error;
        const auto options = parseArguments (args, error);
        if (! options)
            return fail (error, exitUsage);

        if (options->showHelp)
        {
            out << usageText().toStdString() << std::flush;
            return exitOk;
        }
        if (options->showVersion)
        {
            out << versionText().toStdString() << '\n' << std::flush;
            return exitOk;
        }

        if (! options->output.getParentDirectory().isDirectory())
            return fail ("the output folder does not exist: " + options->output.getParentDirectory().getFullPathName(), exitFailure);

        auto song = readInputFile (options->input, options->sampleRate, error);
        if (! song)
            return fail (error, exitFailure);

        // Constructed as a host would, so the preset folder is set up as the
        // plug-in sets it up.
        CaromelAudioProcessor processor;

        if (options->preset.isNotEmpty())
        {
            const auto presetFile = resolvePresetFile (options->preset);
            if (presetFile == juce::File())
                return fail ("unknown preset '" + options->preset + "': no such file, and no such preset in "
                             + presetFolder().getFullPathName(), exitFailure);
            if (! applyPresetFile (processor, presetFile, error))
                return fail (error, exitFailure);
        }

        if (options->pattern.isNotEmpty())
        {
            const auto* pattern = processor.patternManager.findPatternByName (options->pattern);
            if (pattern == nullptr)
                return fail ("unknown pattern '" + options->pattern + "' (library: "
                             + presetFolder().getChildFile ("user.patterns").getFullPathName() + ")", exitFailure);
            processor.setCurrentPattern (pattern->name, pattern->steps);
        }

        processor.setRandomSeed (options->seed ? *options->seed : juce::Random::getSystemRandom().nextInt64());

        RunSettings settings;
        settings.sampleRate = options->sampleRate;
        settings.blockSize = options->blockSize;
        settings.maxTailSeconds = options->maxTailSeconds;

        RunResult run;
        {
            ProgressBar bar;
            run = runProcessor (processor, song->events, song->endSample, settings,
                                [&bar, rate = options->sampleRate] (juce::int64 done, juce::int64 inputSamples)
                                { bar.update (done, inputSamples, rate); });
        }

        if (run.tailLimitReached)
            writeDiagnosticLine ("rebondo-render: balls were still moving after the "
                                 + juce::String (options->maxTailSeconds, 1) + " s tail; they were stopped");

        if (! writeMidiFile (buildOutputFile (*song, run, options->sampleRate), options->output, error))
            return fail (error, exitFailure);

        out << formatSummary (summarise (*song, run, options->sampleRate)).toStdString() << std::flush;
        return exitOk;
    }
}
