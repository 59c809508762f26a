#pragma once

// One association with a peer, over DCMTK's service class user: the
// presentation contexts to propose, the negotiation, and failures turned
// into messages that say what happened. Used by the network calls only.
#include "core/Message.h"
#include "core/Result.h"
#include "dicom/DicomNode.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmnet/scu.h>

#include <QString>

#include <memory>

namespace vantora::dicomnet {

class Association {
public:
    Association(const QString& callingAet, const DicomNode& peer, int timeoutSeconds);
    ~Association(); // releases an open association
    Association(const Association&) = delete;
    Association& operator=(const Association&) = delete;

    // Proposes `abstractSyntax` with the uncompressed little-endian transfer
    // syntaxes, `preferred` first when given; `role` for the storage classes
    // a C-GET brings back.
    void propose(const char* abstractSyntax, const char* preferred = nullptr,
                 T_ASC_SC_ROLE role = ASC_SC_ROLE_DEFAULT);
    Result<> open();
    // Ends an open association: released, or aborted when the peer is gone.
    void close();

    DcmSCU& scu() { return *scu_; }
    // The accepted context for the class, with `transferSyntax` if possible;
    // 0 when the peer took none.
    T_ASC_PresentationContextID contextFor(const char* abstractSyntax,
                                           const char* transferSyntax = nullptr);
    // What a failed network step means, in the user's words.
    Message failure(const OFCondition& condition) const;

    QString peerText() const { return peer_.text(); }
    int timeoutSeconds() const { return timeout_; }

private:
    Message rejection() const;

    std::unique_ptr<DcmSCU> scu_;
    QString calling_;
    DicomNode peer_;
    int timeout_;
    bool open_ = false;
};

// "0xA700"
QString statusText(Uint16 status);
// Success or warning: the peer kept what it was given.
bool statusKept(Uint16 status);

// Silences DCMTK's log (failures reach the user as messages) and turns off
// Nagle's algorithm for its connections; called before every association.
void setUpLibrary();

} // namespace vantora::dicomnet
