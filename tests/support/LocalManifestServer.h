#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <memory>

namespace rebondo::test
{
    // Serves one HTTP response on 127.0.0.1, optionally after a delay.
    class LocalManifestServer : private juce::Thread
    {
    public:
        LocalManifestServer (juce::String bodyToServe, int delayMs)
            : juce::Thread ("manifest server"), body (std::move (bodyToServe)), delay (delayMs)
        {
            listening = listener.createListener (0, "127.0.0.1");
            startThread();
        }

        ~LocalManifestServer() override
        {
            signalThreadShouldExit();
            notify();
            listener.close();
            stopThread (10000);
        }

        bool isListening() const { return listening; }
        juce::String url() const { return "http://127.0.0.1:" + juce::String (listener.getBoundPort()) + "/version.json"; }

        std::atomic<bool> answered { false };

    private:
        void run() override
        {
            std::unique_ptr<juce::StreamingSocket> client (listener.waitForNextConnection());

            if (client == nullptr || threadShouldExit())
                return;

            juce::MemoryBlock request;
            char buffer[1024];
            while (! request.toString().contains ("\r\n\r\n") && ! threadShouldExit())
            {
                if (client->waitUntilReady (true, 2000) != 1)
                    break;

                const int got = client->read (buffer, (int) sizeof (buffer), false);
                if (got <= 0)
                    break;

                request.append (buffer, (size_t) got);
            }

            if (delay > 0)
                wait (delay);

            const auto payload = body.toStdString();
            const auto response = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: "
                                  + std::to_string (payload.size()) + "\r\nConnection: close\r\n\r\n" + payload;
            client->write (response.data(), (int) response.size());
            client->close();
            answered = true;
        }

        juce::StreamingSocket listener;
        bool listening = false;
        juce::String body;
        int delay;
    };
}
