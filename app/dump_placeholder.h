#pragma once
// Stands in for the preset and program table editors until they exist: a
// small window that shows which dump was opened (its title and size). It is
// created, reused and freed exactly as the editors will be.
#include "controls/editor_operations.h"

#include <QWidget>

#include <cstdint>
#include <vector>

class QLabel;
class TStream;

class TfrmDumpPlaceholder : public QWidget {
    Q_OBJECT
public:
    enum class TKind { Preset, Mpt };

    explicit TfrmDumpPlaceholder(TKind kind, QWidget* parent = nullptr);

    // Back to the empty state of a new window.
    void Reset();
    void SetOperations(TEditorOperations operations) { operations_ = std::move(operations); }
    void SetFileName(const QString& fileName);
    // Takes the stream's bytes from its start.
    void LoadDump(TStream& stream);

    TKind Kind() const { return kind_; }
    const QString& FileName() const { return fileName_; }
    const std::vector<std::uint8_t>& Dump() const { return dump_; }
    // Preset title of the dump; empty for a table or no dump.
    const QString& DumpTitle() const { return title_; }
    const TEditorOperations& Operations() const { return operations_; }

    QLabel* lblTitle = nullptr;
    QLabel* lblSize = nullptr;
    QLabel* lblFile = nullptr;

private:
    void ShowDump();

    TKind kind_;
    TEditorOperations operations_;
    QString fileName_;
    QString title_;
    std::vector<std::uint8_t> dump_;
};
