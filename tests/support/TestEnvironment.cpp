#include "support/TestEnvironment.h"

#include <cstdlib>

namespace rebondo::test
{
    namespace
    {
        juce::File currentHome;

        void pointHomeAt (const juce::File& folder)
        {
            folder.createDirectory();
            setenv ("HOME", folder.getFullPathName().toRawUTF8(), 1);
            unsetenv ("XDG_CONFIG_HOME");
            unsetenv ("XDG_DATA_HOME");
            currentHome = folder;
        }

        juce::File makeFreshFolder()
        {
            char pattern[] = "/tmp/rebondo-test-home-XXXXXX";
            if (const char* made = mkdtemp (pattern))
                return juce::File (juce::String (made));
            return juce::File ("/tmp/rebondo-test-home-fallback");
        }
    }

    juce::File useTemporaryHome()
    {
        pointHomeAt (makeFreshFolder());
        return currentHome;
    }

    juce::File temporaryHome() { return currentHome; }

    ScopedFreshHome::ScopedFreshHome() : previous (currentHome), home (makeFreshFolder())
    {
        pointHomeAt (home);
    }

    ScopedFreshHome::~ScopedFreshHome()
    {
        home.deleteRecursively();
        pointHomeAt (previous);
    }
}
