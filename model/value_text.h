#pragma once
// How the unit's raw parameter values read to a guitarist. Every function accepts any
// int: a value no control can produce gets a plain or extrapolated text, never a crash.
#include "model/catalogue.h"

#include <string>

std::string PercentOf31(int v);
std::string PercentOf63(int v);
std::string OutputPercentText(int v);
std::string LevelText(int v);
std::string EqGainText(int v);
std::string EnvTuningText(int v);
std::string RateText(int v);
std::string SemitoneText(int v);
std::string FineTuneText(int v);
std::string DelayText(int v);
std::string MillisecondText(int v);
std::string SampleLengthText(int v);
std::string DecayText(int v);
std::string GateDecayText(int v);
std::string DampingText(int v);
std::string DiffusionText(int v);
std::string PositionNameText(int v);
std::string CutoffText(int v);
std::string DetuneText(int v);
std::string IntegerText(int v);
// Base Key list entry for MIDI note v ("OFF", "C#-", "A - ", "C 4", ... "G 9").
std::string KeyName(int v);
constexpr int KeyNameCount = 128;

// The text of a display kind; List uses the choices and addend given.
std::string DisplayText(TDisplayKind kind, int v, std::span<const std::string_view> choices = {},
                        int addend = 0);
// The text shown beside a parameter's control for a stored value.
std::string ValueText(const TParamInfo& param, int raw);
