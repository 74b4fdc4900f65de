#pragma once
// Splits the bytes of a dump file into its system-exclusive messages and says what
// each one is. Damaged files are described, never rejected: the caller decides
// whether a framing problem matters.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TSysexMessage {
    std::size_t Offset = 0;          // of the F0 byte in the file
    std::vector<std::uint8_t> Bytes; // F0 .. F7 (or up to where the message broke off)
    bool Terminated = false;         // ends with F7
};

struct TScanIssue {
    std::size_t Offset = 0;
    std::string Text;
};

struct TSysexScan {
    // Every preset dump and program table; of the other messages the first
    // MaxOtherMessages (a file of noise or of F0 bytes holds millions).
    std::vector<TSysexMessage> Messages;
    // Bytes outside any message, messages without their end byte, status bytes
    // inside a message: the first MaxIssues of them.
    std::vector<TScanIssue> Issues;
    std::size_t OtherMessagesLeftOut = 0;
    std::size_t IssuesLeftOut = 0;
    // Bytes outside any message, all of them.
    std::size_t StrayBytes = 0;

    static constexpr std::size_t MaxOtherMessages = 1000;
    static constexpr std::size_t MaxIssues = 1000;
};

// A preset dump (length and header bytes right) is one message even when a byte
// inside it is F0 or F7; such bytes are listed as issues.
TSysexScan ScanSysex(const std::vector<std::uint8_t>& bytes);

// "data byte 0x80 is not below 0x80": a byte inside a message that MIDI cannot carry.
std::string DataByteIssueText(std::uint8_t byte);

enum class TDumpKind {
    Preset,          // a 252-byte preset dump
    Table,           // a program table of the model asked for
    OtherModelTable, // a program table of the other model
    Other,           // anything else
};

TDumpKind ClassifyMessage(const TSysexMessage& message, bool preExpress);
// "preset dump", "program table", "Pre-Express program table", or a short description
// of another message ("message with command 0x45").
std::string DescribeMessage(const TSysexMessage& message, bool preExpress);
