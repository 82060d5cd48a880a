#include "PatternBuilderComponent.h"

#include <algorithm>
#include <cmath>

namespace
{
    const juce::Colour accent { 0xff20b2aa };
    constexpr int inset = 8;

    bool isBlackKey (int pitchClass)
    {
        return pitchClass == 1 || pitchClass == 3 || pitchClass == 6 || pitchClass == 8 || pitchClass == 10;
    }

    juce::uint8 rowShadeAlpha (int pitchClass)
    {
        switch (pitchClass)
        {
            case 0:  return 0x33;
            case 1:
            case 3:  return 0x0a;
            case 6:
            case 8:
            case 10: return (juce::uint8) (0.04f * 255.0f);
            case 7:
            case 9:  return (juce::uint8) (0.1f * 255.0f);
            default: return 0x1a;
        }
    }

    std::unique_ptr<juce::Drawable> makeKeyboardIcon()
    {
        auto icon = std::make_unique<juce::DrawableComposite>();

        juce::Path body;
        body.addRoundedRectangle (1.0f, 5.0f, 22.0f, 14.0f, 1.5f);
        auto white = std::make_unique<juce::DrawablePath>();
        white->setPath (body);
        white->setFill (juce::Colours::white);
        icon->addAndMakeVisible (white.release());

        juce::Path keys;
        for (int i = 1; i < 6; ++i)
            keys.addRectangle (1.0f + (float) i * 22.0f / 6.0f - 0.4f, 5.0f, 0.8f, 14.0f);
        for (const auto x : { 3.9f, 7.6f, 14.9f, 18.6f })
            keys.addRectangle (x - 1.1f, 5.0f, 2.2f, 8.0f);

        auto black = std::make_unique<juce::DrawablePath>();
        black->setPath (keys);
        black->setFill (juce::Colours::black);
        icon->addAndMakeVisible (black.release());

        icon->resetContentAreaAndBoundingBoxToFitChildren();
        return icon;
    }
}

PatternBuilderComponent::PatternBuilderComponent()
{
    iconNormal = makeKeyboardIcon();
    iconOver = iconNormal->createCopy();
    iconOver->replaceColour (juce::Colours::white, accent);
    iconOn = iconNormal->createCopy();
    iconOn->replaceColour (juce::Colours::white, accent);
    iconOn->replaceColour (juce::Colours::black, juce::Colours::white);

    midiEntryButton.setImages (iconNormal.get(), iconOver.get(), iconOver.get(), nullptr,
                               iconOn.get(), iconOn.get(), iconOn.get(), nullptr);
    midiEntryButton.setColour (juce::DrawableButton::backgroundColourId, juce::Colours::transparentBlack);
    midiEntryButton.setColour (juce::DrawableButton::backgroundOnColourId, juce::Colours::transparentBlack);
    midiEntryButton.setClickingTogglesState (true);
    midiEntryButton.setTooltip ("Enable or disable MIDI keyboard pattern entry");
    midiEntryButton.onClick = [this]
    {
        if (onMidiEntryToggled != nullptr)
            onMidiEntryToggled (midiEntryButton.getToggleState());
    };
    addAndMakeVisible (midiEntryButton);
}

PatternBuilderComponent::~PatternBuilderComponent()
{
    stopTimer();
}

//==============================================================================
juce::Rectangle<float> PatternBuilderComponent::getKeyboardArea() const
{
    const auto iw = std::max (getWidth() - 2 * inset, 0);
    const auto ih = std::max (getHeight() - 2 * inset, 0);
    return { (float) inset, (float) inset, (float) std::min (iw, 36), (float) ih };
}

juce::Rectangle<float> PatternBuilderComponent::getGridArea() const
{
    const auto iw = std::max (getWidth() - 2 * inset, 0);
    const auto ih = std::max (getHeight() - 2 * inset, 0);
    const auto kw = std::min (iw, 36);
    const auto g1 = std::min (iw - kw, 10);
    const auto remaining = iw - kw - g1;
    const auto sw = std::min (remaining, 9);
    const auto gap = std::min (remaining - sw, 3);
    return { (float) (inset + kw + g1), (float) inset, (float) (remaining - sw - gap), (float) ih };
}

juce::Rectangle<float> PatternBuilderComponent::getScrollStripArea() const
{
    const auto iw = std::max (getWidth() - 2 * inset, 0);
    const auto ih = std::max (getHeight() - 2 * inset, 0);
    const auto sw = std::min (std::max (iw - 46, 0), 9);
    return { (float) (inset + iw - sw), (float) inset, (float) sw, (float) ih };
}

juce::Rectangle<float> PatternBuilderComponent::getScrollTrackArea() const
{
    const auto strip = getScrollStripArea();
    const auto th = std::max (strip.getHeight() - 8.0f, 0.0f);
    return { strip.getX() + 2.0f, 12.0f, std::max (strip.getWidth() - 4.0f, 0.0f), th };
}

juce::Rectangle<float> PatternBuilderComponent::getScrollThumbArea() const
{
    const auto strip = getScrollStripArea();
    const auto th = getScrollTrackArea().getHeight();
    const auto thumbHeight = th * 25.0f / 49.0f;
    const auto top = 12.0f + ((float) viewOffset / (float) maxViewOffset) * (th - thumbHeight);
    return { strip.getX() + 1.5f, top, std::max (strip.getWidth() - 3.0f, 0.0f), thumbHeight };
}

float PatternBuilderComponent::getColumnWidth() const
{
    return getGridArea().getWidth() / (float) maxSteps;
}

float PatternBuilderComponent::getRowHeight() const
{
    return getGridArea().getHeight() / (float) visibleRows;
}

int PatternBuilderComponent::rowAt (float y) const
{
    const auto rh = getRowHeight();

    if (rh <= 0.0f)
        return visibleRows - 1;

    return juce::jlimit (0, visibleRows - 1, (int) std::floor ((y - (float) inset) / rh));
}

const std::vector<int>& PatternBuilderComponent::getDisplayedValues() const
{
    return midiEntryActive && midiEntryNotes.size() == steps.size() ? midiEntryNotes : steps;
}

std::vector<PatternBuilderComponent::Dot> PatternBuilderComponent::getDots() const
{
    std::vector<Dot> dots;
    const auto& values = getDisplayedValues();
    const auto grid = getGridArea();
    const auto cw = getColumnWidth();
    const auto rh = getRowHeight();
    const auto rowCentre = [&] (int row) { return grid.getY() + ((float) row + 0.5f) * rh; };

    for (size_t i = 0; i < values.size() && i < (size_t) maxSteps; ++i)
    {
        const auto x = grid.getX() + ((float) i + 0.5f) * cw;
        const auto value = values[i];

        if (value == rest)
        {
            dots.push_back ({ { x, rowCentre (visibleRows - 1) }, DotShape::rest });
            continue;
        }

        const auto row = maxViewOffset - viewOffset - value;

        if (row < 0)
            dots.push_back ({ { x, rowCentre (0) }, DotShape::triangleUp });
        else if (row >= visibleRows)
            dots.push_back ({ { x, rowCentre (visibleRows - 1) }, DotShape::triangleDown });
        else
            dots.push_back ({ { x, rowCentre (row) }, DotShape::note });
    }

    return dots;
}

//==============================================================================
void PatternBuilderComponent::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds().toFloat();
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 0x0f));
    g.fillRoundedRectangle (bounds.reduced (1.0f), 8.0f);
    g.setColour (accent.withAlpha ((juce::uint8) 0x8c));
    g.drawRoundedRectangle (bounds.reduced (1.0f), 8.0f, 1.0f);

    const auto keys = getKeyboardArea();
    const auto grid = getGridArea();
    const auto rh = getRowHeight();
    const auto kw = keys.getWidth();

    for (int row = 0; row < visibleRows; ++row)
    {
        const auto value = valueForRow (row);
        const auto pitchClass = ((value % 12) + 12) % 12;
        const auto y = grid.getY() + (float) row * rh;

        g.setColour (juce::Colours::white.withAlpha (rowShadeAlpha (pitchClass)));
        g.fillRect (grid.getX(), y, grid.getWidth(), rh);

        if (isBlackKey (pitchClass))
        {
            const juce::Rectangle<float> key (keys.getX(), y, 0.62f * kw, rh);
            g.setColour (juce::Colours::black.withAlpha ((juce::uint8) 0xe6));
            g.fillRect (key);
            g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 0x1f));
            g.drawRect (key, 0.5f);
        }
        else
        {
            const juce::Rectangle<float> key (keys.getX(), y, kw, rh);
            g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 0xe6));
            g.fillRect (key);
            g.setColour (juce::Colours::black.withAlpha ((juce::uint8) 0x40));
            g.drawRect (key, 0.5f);
        }

        if (pitchClass == 0)
        {
            juce::String label;

            if (row == visibleRows - 1)
                label = juce::String (value);
            else if (value == 0)
                label = "0";
            else if (row == 0)
                label = "+" + juce::String (value);

            if (label.isNotEmpty())
            {
                g.setColour (juce::Colours::black.withAlpha ((juce::uint8) 0x33));
                g.setFont (juce::Font (7.0f, juce::Font::bold));
                g.drawText (label, juce::Rectangle<float> (keys.getX(), y, std::max (kw - 2.0f, 0.0f), rh),
                            juce::Justification::centredRight, false);
            }
        }

        g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 0x4c));
        g.drawLine (grid.getX(), y, grid.getRight(), y, 0.5f);
    }

    g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 0x14));
    g.drawRoundedRectangle (keys, 5.0f, 1.0f);
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 0x0f));
    g.drawRoundedRectangle (grid, 5.0f, 1.0f);

    const auto dots = getDots();

    if (! dots.empty())
    {
        g.setColour (accent.withAlpha ((juce::uint8) 0x61));

        for (int column = 0; column < maxSteps; ++column)
        {
            const auto x = grid.getX() + ((float) column + 0.5f) * getColumnWidth();
            g.drawLine (x, grid.getY(), x, grid.getBottom(), 0.5f);
        }

        const auto& values = getDisplayedValues();

        for (size_t i = 0; i < dots.size(); ++i)
        {
            const auto& dot = dots[i];
            const auto c = dot.centre;

            switch (dot.shape)
            {
                case DotShape::rest:
                    g.setColour (juce::Colours::orange.withAlpha ((juce::uint8) 0xf2));
                    g.fillEllipse (c.x - 5.0f, c.y - 5.0f, 10.0f, 10.0f);
                    break;

                case DotShape::triangleUp:
                case DotShape::triangleDown:
                {
                    const auto up = dot.shape == DotShape::triangleUp;
                    const auto tip = up ? c.y - 4.0f : c.y + 4.0f;
                    const auto base = up ? c.y + 4.0f : c.y - 4.0f;
                    juce::Path triangle;
                    triangle.addTriangle (c.x, tip, c.x - 5.0f, base, c.x + 5.0f, base);
                    g.setColour (juce::Colours::orange.withAlpha ((juce::uint8) 0xe6));
                    g.fillPath (triangle);
                    break;
                }

                case DotShape::note:
                    if (values[i] == 0)
                    {
                        g.setColour (juce::Colours::white);
                        g.fillEllipse (c.x - 5.0f, c.y - 5.0f, 10.0f, 10.0f);
                    }
                    else
                    {
                        g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 0xcc));
                        g.fillEllipse (c.x - 4.5f, c.y - 4.5f, 9.0f, 9.0f);
                    }
                    break;
            }
        }
    }

    const auto track = getScrollTrackArea();
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 0x1a));
    g.fillRoundedRectangle (track, track.getWidth() * 0.5f);
    const auto thumb = getScrollThumbArea();
    g.setColour (accent.withAlpha ((juce::uint8) 0xcc));
    g.fillRoundedRectangle (thumb, thumb.getWidth() * 0.5f);
}

void PatternBuilderComponent::resized()
{
    const auto ih = std::max (getHeight() - 2 * inset, 0);
    const auto grid = getGridArea();
    const auto gw = (int) grid.getWidth();
    midiEntryButton.setBounds ((int) grid.getX() + 2, 10,
                               std::min (std::max (gw, 4), 30) - 4,
                               std::min (std::max (ih, 4), 30) - 4);
}

//==============================================================================
void PatternBuilderComponent::setViewOffsetFromThumb (float y)
{
    const auto track = getScrollTrackArea();
    const auto thumbHeight = track.getHeight() * 25.0f / 49.0f;
    const auto range = track.getHeight() - thumbHeight;

    if (range <= 0.0f)
        return;

    const auto position = juce::jlimit (0.0f, 1.0f, (y - scrollGrabOffset - 12.0f) / range);
    viewOffset = juce::jlimit (0, maxViewOffset, juce::roundToInt (position * (float) maxViewOffset));
    repaint();
}

void PatternBuilderComponent::mouseDown (const juce::MouseEvent& e)
{
    clearPressState();
    const auto p = e.position;
    const auto strip = getScrollStripArea();

    if (strip.getWidth() > 0.0f && p.x >= strip.getX())
    {
        draggingScrollBar = true;
        const auto thumb = getScrollThumbArea();

        if (thumb.contains (p))
        {
            scrollGrabOffset = p.y - thumb.getY();
        }
        else
        {
            scrollGrabOffset = thumb.getHeight() * 0.5f;
            setViewOffsetFromThumb (p.y);
        }

        return;
    }

    const auto grid = getGridArea();
    const auto value = valueForRow (rowAt (p.y));

    if (p.x < grid.getX())
    {
        if (steps.size() < (size_t) maxSteps)
        {
            pushUndoState();
            steps.push_back (value);
            repaint();
            notifyEdited();
        }

        return;
    }

    const auto cw = getColumnWidth();

    if (cw <= 0.0f)
        return;

    const auto column = juce::jlimit (0, maxSteps - 1, (int) std::floor ((p.x - grid.getX()) / cw));

    if ((size_t) column < steps.size())
    {
        const auto dots = getDots();
        const auto centre = dots[(size_t) column].centre;

        if (std::abs (p.x - centre.x) <= pressSlop && std::abs (p.y - centre.y) <= pressSlop)
        {
            pressedColumn = column;
            pressAction = steps[(size_t) column] == rest ? 2 : 1;
            pressPosition = p;
            pressOnDot = true;
            startTimer (longPressMs);
            return;
        }

        pushUndoState();
        steps[(size_t) column] = value;
        repaint();
        notifyEdited();
        return;
    }

    if (steps.size() < (size_t) maxSteps)
    {
        pushUndoState();
        steps.push_back (value);
        repaint();
        notifyEdited();
    }
}

void PatternBuilderComponent::mouseDrag (const juce::MouseEvent& e)
{
    if (draggingScrollBar)
    {
        setViewOffsetFromThumb (e.position.y);
        return;
    }

    if (pressOnDot && e.position.getDistanceFrom (pressPosition) > pressSlop)
    {
        stopTimer();
        clearPressState();
    }
}

void PatternBuilderComponent::mouseUp (const juce::MouseEvent&)
{
    stopTimer();

    if (pressOnDot && ! longPressConsumed && pressedColumn >= 0 && (size_t) pressedColumn < steps.size())
    {
        const auto column = (size_t) pressedColumn;
        pushUndoState();
        endMidiEntry();

        if (pressAction == 1)
        {
            if (steps[column] != rest)
                steps[column] = rest;
        }
        else
        {
            steps.erase (steps.begin() + (std::ptrdiff_t) column);
        }

        repaint();
        notifyEdited();
    }

    clearPressState();
}

void PatternBuilderComponent::timerCallback()
{
    stopTimer();

    if (! pressOnDot || longPressConsumed || pressAction != 1
        || pressedColumn < 0 || (size_t) pressedColumn >= steps.size())
        return;

    pushUndoState();
    endMidiEntry();
    steps.erase (steps.begin() + pressedColumn);
    longPressConsumed = true;
    repaint();
    notifyEdited();
}

void PatternBuilderComponent::mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails& wheel)
{
    if (wheel.deltaY > 0.0f)
        viewOffset = std::max (0, viewOffset - 2);
    else if (wheel.deltaY < 0.0f)
        viewOffset = std::min (maxViewOffset, viewOffset + 2);
    else
        return;

    repaint();
}

void PatternBuilderComponent::clearPressState()
{
    pressedColumn = -1;
    pressAction = 0;
    pressPosition = {};
    pressOnDot = false;
    longPressConsumed = false;
    draggingScrollBar = false;
    scrollGrabOffset = 0.0f;
}

void PatternBuilderComponent::notifyEdited()
{
    if (onPatternEdited != nullptr)
        onPatternEdited();
}

//==============================================================================
void PatternBuilderComponent::pushUndoState()
{
    undoStack.push_back ({ steps, midiEntryNotes, midiRootNote, midiEntryActive });

    if (undoStack.size() > (size_t) maxUndoStates)
        undoStack.erase (undoStack.begin());
}

bool PatternBuilderComponent::restoreLastState()
{
    if (undoStack.empty())
        return false;

    auto state = std::move (undoStack.back());
    undoStack.pop_back();
    steps = std::move (state.steps);
    midiEntryNotes = std::move (state.midiEntryNotes);
    midiRootNote = state.midiRootNote;
    midiEntryActive = state.midiEntryActive;
    repaint();
    return true;
}

void PatternBuilderComponent::endMidiEntry()
{
    midiEntryNotes.clear();
    midiEntryActive = false;
    midiRootNote = -1;
}

void PatternBuilderComponent::loadPattern (const juce::String& name, const std::vector<int>& newSteps)
{
    stopTimer();
    clearPressState();
    patternName = name;
    steps = newSteps;
    endMidiEntry();
    undoStack.clear();
    repaint();
}

void PatternBuilderComponent::clearForNewPattern (const juce::String& name)
{
    patternName = name;
    steps.clear();
    endMidiEntry();
    repaint();
}

bool PatternBuilderComponent::appendRest()
{
    if (steps.size() >= (size_t) maxSteps)
        return false;

    pushUndoState();
    steps.push_back (rest);

    if (midiEntryActive && midiEntryNotes.size() < (size_t) maxSteps)
        midiEntryNotes.push_back (rest);

    repaint();
    return true;
}

bool PatternBuilderComponent::addMidiEntryNote (int noteNumber)
{
    if (steps.size() >= (size_t) maxSteps)
        return false;

    pushUndoState();

    if (midiRootNote < 0)
        midiRootNote = noteNumber;

    if (! midiEntryActive)
    {
        midiEntryNotes = steps;
        midiEntryActive = true;
    }

    steps.push_back (noteNumber - midiRootNote);
    midiEntryNotes.push_back (noteNumber - 60);
    repaint();
    return true;
}
