#include "dicom/Association.h"

#include "core/StringIds.h"

#include <dcmtk/dcmnet/assoc.h>
#include <dcmtk/dcmnet/diutil.h>
#include <dcmtk/oflog/oflog.h>

#include <netdb.h>
#include <stdlib.h>
#include <sys/socket.h>

#include <mutex>

namespace vantora::dicomnet {

namespace {

bool hostKnown(const QString& host) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &found);
    if (found != nullptr)
        freeaddrinfo(found);
    return rc == 0;
}

} // namespace

void setUpLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        OFLog::configure(OFLogger::OFF_LOG_LEVEL);
        // DCMTK leaves Nagle's algorithm on unless TCP_NODELAY is set; then
        // each small message waits for the peer's delayed acknowledgement,
        // some 40 ms per object even on one machine. A value the user set wins.
        ::setenv("TCP_NODELAY", "1", 0);
    });
}

QString statusText(Uint16 status) {
    return QStringLiteral("0x%1")
        .arg(status, 4, 16, QLatin1Char('0'))
        .toUpper()
        .replace(QLatin1String("0X"), QLatin1String("0x"));
}

bool statusKept(Uint16 status) {
    return status == STATUS_Success || (status & 0xF000) == 0xB000;
}

Association::Association(const QString& callingAet, const DicomNode& peer, int timeoutSeconds)
    : scu_(std::make_unique<DcmSCU>()), calling_(callingAet), peer_(peer),
      timeout_(qMax(1, timeoutSeconds)) {
    setUpLibrary();
    scu_->setAETitle(calling_.toStdString().c_str());
    scu_->setPeerAETitle(peer_.aeTitle.toStdString().c_str());
    scu_->setPeerHostName(peer_.host.toStdString().c_str());
    scu_->setPeerPort(Uint16(peer_.port));
    scu_->setConnectionTimeout(timeout_);
    scu_->setACSETimeout(Uint32(timeout_));
    scu_->setDIMSETimeout(Uint32(timeout_));
    scu_->setDIMSEBlockingMode(DIMSE_NONBLOCKING);
    scu_->setVerbosePCMode(OFFalse);
}

Association::~Association() {
    close();
}

void Association::propose(const char* abstractSyntax, const char* preferred, T_ASC_SC_ROLE role) {
    OFList<OFString> syntaxes;
    if (preferred != nullptr)
        syntaxes.push_back(preferred);
    for (const char* ts :
         {UID_LittleEndianExplicitTransferSyntax, UID_LittleEndianImplicitTransferSyntax})
        if (preferred == nullptr || OFString(preferred) != ts)
            syntaxes.push_back(ts);
    scu_->addPresentationContext(abstractSyntax, syntaxes, role);
}

Result<> Association::open() {
    if (!hostKnown(peer_.host))
        return Message{ids::kDicomUnknownHost, peer_.text()};
    OFCondition cond = scu_->initNetwork();
    if (cond.good())
        cond = scu_->negotiateAssociation();
    if (cond.bad())
        return failure(cond);
    open_ = true;
    return {};
}

void Association::close() {
    if (!open_)
        return;
    open_ = false;
    if (scu_->isConnected() && scu_->releaseAssociation().bad())
        scu_->abortAssociation();
}

T_ASC_PresentationContextID Association::contextFor(const char* abstractSyntax,
                                                    const char* transferSyntax) {
    T_ASC_PresentationContextID id = 0;
    if (transferSyntax != nullptr)
        id = scu_->findPresentationContextID(abstractSyntax, transferSyntax);
    return id != 0 ? id : scu_->findAnyPresentationContextID(abstractSyntax, "");
}

Message Association::failure(const OFCondition& cond) const {
    const QString node = peer_.text();
    if (cond == DUL_ASSOCIATIONREJECTED)
        return rejection();
    if (cond == DUL_READTIMEOUT || cond == DIMSE_NODATAAVAILABLE)
        return {ids::kDicomTimedOut, node};
    if (cond == NET_EC_NoAcceptablePresentationContexts)
        return {ids::kDicomKindRefused, node};
    const QString text = QString::fromLocal8Bit(cond.text());
    if (text.contains(QLatin1String("Connection refused"), Qt::CaseInsensitive))
        return {ids::kDicomConnectionRefused, node};
    if (text.contains(QLatin1String("timed out"), Qt::CaseInsensitive) ||
        text.contains(QLatin1String("timeout"), Qt::CaseInsensitive))
        return {ids::kDicomTimedOut, node};
    return {ids::kDicomConnectionFailed, node + QStringLiteral(": ") + text};
}

// DCMTK's service class user keeps the peer's reject reason to itself, so a
// refused association is asked once more with the bare association calls,
// which hand the reason out.
Message Association::rejection() const {
    const QString node = peer_.text();
    T_ASC_Network* net = nullptr;
    if (ASC_initializeNetwork(NET_REQUESTOR, 0, timeout_, &net).bad())
        return {ids::kDicomAssociationRefused, node};
    T_ASC_Parameters* params = nullptr;
    ASC_createAssociationParameters(&params, ASC_DEFAULTMAXPDU);
    ASC_setAPTitles(params, calling_.toStdString().c_str(), peer_.aeTitle.toStdString().c_str(),
                    nullptr);
    const std::string address = peer_.host.toStdString() + ":" + std::to_string(peer_.port);
    ASC_setPresentationAddresses(params, "localhost", address.c_str());
    const char* syntaxes[] = {UID_LittleEndianImplicitTransferSyntax};
    ASC_addPresentationContext(params, 1, UID_VerificationSOPClass, syntaxes, 1);
    T_ASC_Association* assoc = nullptr;
    const OFCondition cond = ASC_requestAssociation(net, params, &assoc);
    int id = ids::kDicomAssociationRefused;
    if (cond == DUL_ASSOCIATIONREJECTED) {
        T_ASC_RejectParameters reject{};
        ASC_getRejectParameters(params, &reject);
        switch (reject.reason) {
        case ASC_REASON_SU_CALLEDAETITLENOTRECOGNIZED:
            id = ids::kDicomCalledAetRefused;
            break;
        case ASC_REASON_SU_CALLINGAETITLENOTRECOGNIZED:
            id = ids::kDicomCallingAetRefused;
            break;
        case ASC_REASON_SP_PRES_TEMPORARYCONGESTION:
        case ASC_REASON_SP_PRES_LOCALLIMITEXCEEDED:
            id = ids::kDicomPeerBusy;
            break;
        default:
            break;
        }
    } else if (cond.good()) {
        ASC_releaseAssociation(assoc);
    }
    if (assoc != nullptr)
        ASC_destroyAssociation(&assoc);
    else
        ASC_destroyAssociationParameters(&params);
    ASC_dropNetwork(&net);
    return {id, node};
}

} // namespace vantora::dicomnet
