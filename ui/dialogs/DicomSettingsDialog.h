#pragma once

#include "dicom/DicomNode.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vantora {

class MessageBoxPrompter;

// This station's AE title, the archive and the worklist provider. Each peer
// has a "Test" button that sends C-ECHO with the values as typed (on a
// thread of its own, the dialog stays usable) and says beside it what
// happened. OK checks the values and stores them with the other settings,
// where the command line reads them too; a peer left wholly empty is unset.
class DicomSettingsDialog : public QDialog {
    Q_OBJECT
public:
    enum Peer { kArchive, kWorklist, kPeerCount };

    DicomSettingsDialog(MessageBoxPrompter& prompter, QWidget* parent = nullptr);

    QLineEdit* stationField() const { return station_; }
    QLineEdit* titleField(Peer p) const { return peers_[p].title; }
    QLineEdit* hostField(Peer p) const { return peers_[p].host; }
    QSpinBox* portField(Peer p) const { return peers_[p].port; }
    QPushButton* testButton(Peer p) const { return peers_[p].test; }
    // What the last test said (also read out: it is the button's description).
    QString testOutcome(Peer p) const;
    // Tests still running.
    int testsRunning() const { return running_; }

    void accept() override;
    void test(Peer p);

private:
    struct PeerFields {
        QLineEdit* title = nullptr;
        QLineEdit* host = nullptr;
        QSpinBox* port = nullptr;
        QPushButton* test = nullptr;
        QLabel* outcome = nullptr;
    };
    QWidget* peerBox(Peer p, int caption);
    // The peer as typed: unset when all its fields are empty, else parsed
    // (a message names what is wrong).
    Result<DicomNode> typedPeer(Peer p) const;
    void showOutcome(Peer p, const QString& text);

    MessageBoxPrompter& prompter_;
    QLineEdit* station_ = nullptr;
    PeerFields peers_[kPeerCount];
    int running_ = 0;
};

} // namespace vantora
