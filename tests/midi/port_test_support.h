#pragma once
// Shared by the port tests: a test platform installed for one test, and
// delivery of posted notifications.
#include "midi/midi_platform.h"
#include "tests/support/test_midi_platform.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Texts of exceptions that left a notification handler (see test_main.cpp).
std::vector<std::string>& HandlerErrors();

inline void DeliverPosted() {
    QCoreApplication::sendPostedEvents();
}

class PortTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMidiPlatform(&platform);
        HandlerErrors().clear();
    }
    void TearDown() override {
        DeliverPosted();
        SetMidiPlatform(nullptr);
    }
    TTestMidiPlatform platform;
};
