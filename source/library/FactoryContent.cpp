#include "FactoryContent.h"

#include "BinaryData.h"

namespace FactoryContent
{
    const std::array<Document, 13>& presets()
    {
        static const std::array<Document, 13> documents { {
            { "Default",   BinaryData::Default_xml,   (size_t) BinaryData::Default_xmlSize },
            { "Champagne", BinaryData::Champagne_xml, (size_t) BinaryData::Champagne_xmlSize },
            { "Elegant",   BinaryData::Elegant_xml,   (size_t) BinaryData::Elegant_xmlSize },
            { "Forever",   BinaryData::Forever_xml,   (size_t) BinaryData::Forever_xmlSize },
            { "Popcorn",   BinaryData::Popcorn_xml,   (size_t) BinaryData::Popcorn_xmlSize },
            { "Slow Down", BinaryData::Slow_Down_xml, (size_t) BinaryData::Slow_Down_xmlSize },
            { "Space",     BinaryData::Space_xml,     (size_t) BinaryData::Space_xmlSize },
            { "Parallel",  BinaryData::Parallel_xml,  (size_t) BinaryData::Parallel_xmlSize },
            { "Mandolin",  BinaryData::Mandolin_xml,  (size_t) BinaryData::Mandolin_xmlSize },
            { "Eternity",  BinaryData::Eternity_xml,  (size_t) BinaryData::Eternity_xmlSize },
            { "Horror",    BinaryData::Horror_xml,    (size_t) BinaryData::Horror_xmlSize },
            { "Romantic",  BinaryData::Romantic_xml,  (size_t) BinaryData::Romantic_xmlSize },
            { "Wonder",    BinaryData::Wonder_xml,    (size_t) BinaryData::Wonder_xmlSize },
        } };
        return documents;
    }

    const Document& defaultPreset()
    {
        return presets().front();
    }

    Document patternList()
    {
        return { "user.patterns", BinaryData::factory_patterns, (size_t) BinaryData::factory_patternsSize };
    }
}
