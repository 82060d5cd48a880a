#pragma once

#include "editor/PluginEditor.h"

#include <gtest/gtest.h>

#include <memory>

namespace rebondo::test
{
    // A processor with its world (unless asked otherwise) and an editor at 800 x 600.
    class EditorFixture : public ::testing::Test
    {
    protected:
        // The processor starts on the factory Default preset; these tests are
        // written against the parameters' own defaults.
        EditorFixture()
        {
            for (auto* p : processor.getParameters())
                p->setValueNotifyingHost (p->getDefaultValue());
        }

        void TearDown() override { destroyEditor(); }

        void prepare()
        {
            processor.prepareToPlay (48000.0, 512);
        }

        void createEditor()
        {
            editor = std::make_unique<CaromelAudioProcessorEditor> (processor);
            // Before any timer tick: tests never reach the network, and a
            // test that wants an answer serves one on the loop-back address.
            editor->updateManifestUrl = {};
        }

        void destroyEditor()
        {
            if (editor != nullptr)
            {
                processor.editorBeingDeleted (editor.get());
                editor.reset();
            }
        }

        // The editor's child with this component ID, or null (check with ASSERT_NE).
        template <typename ComponentType = juce::Component>
        ComponentType* child (const juce::String& id)
        {
            return dynamic_cast<ComponentType*> (editor->findChildWithID (id));
        }

        juce::RangedAudioParameter& parameter (const char* id)
        {
            return *processor.parameters.getParameter (id);
        }

        void setParameter (const char* id, float value)
        {
            auto& p = parameter (id);
            p.setValueNotifyingHost (p.convertTo0to1 (value));
        }

        float parameterValue (const char* id)
        {
            return processor.parameters.getRawParameterValue (id)->load();
        }

        CaromelAudioProcessor processor;
        std::unique_ptr<CaromelAudioProcessorEditor> editor;
    };
}
