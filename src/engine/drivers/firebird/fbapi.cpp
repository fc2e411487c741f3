// The client library's entry points and the attachment and transaction guards.
#include "engine/drivers/firebird/fbapi.h"

namespace vlm::engine::firebird {

Firebird::IMaster* master() {
    static Firebird::IMaster* m = Firebird::fb_get_master_interface();
    return m;
}

Firebird::IUtil* util() { return master()->getUtilInterface(); }

Attachment::~Attachment() {
    if (!att_) return;
    Status st;
    try {
        att_->detach(&st);   // releases the interface on success
    } catch (const EngineError&) {
        att_->release();     // a lost connection cannot detach; drop our reference
    }
}

void Attachment::cancelRunning() {
    calls_.cancel([this](void*) {
        try {
            Status st;
            att_->cancelOperation(&st, fb_cancel_raise);
        } catch (const EngineError&) {
            // "nothing to cancel": the call ended meanwhile
        }
    });
}

Transaction::Transaction(std::shared_ptr<Attachment> att, bool automatic)
    : att_(std::move(att)), automatic_(automatic) {
    Status st;
    Ref<Firebird::IXpbBuilder> tpb(util()->getXpbBuilder(&st, Firebird::IXpbBuilder::TPB, nullptr, 0));
    tpb->insertTag(&st, isc_tpb_write);
    tpb->insertTag(&st, isc_tpb_read_committed);
    tpb->insertTag(&st, isc_tpb_rec_version);
    tpb->insertTag(&st, isc_tpb_wait);
    tpb->insertInt(&st, isc_tpb_lock_timeout, 10);   // a locked row fails after 10 s, never hangs
    tra_ = att_->get()->startTransaction(&st, tpb->getBufferLength(&st), tpb->getBuffer(&st));
}

Transaction::~Transaction() {
    if (!tra_) return;
    try {
        if (automatic_)
            commit();
        else
            rollback();
    } catch (const EngineError&) {
        try {
            rollback();
        } catch (const EngineError&) {
        }
        if (tra_) tra_->release();
    }
}

void Transaction::commit() {
    if (!tra_) return;
    Status st;
    tra_->commit(&st);
    tra_ = nullptr;
}

void Transaction::rollback() {
    if (!tra_) return;
    Status st;
    tra_->rollback(&st);
    tra_ = nullptr;
}

}  // namespace vlm::engine::firebird
