// Firebird messages: the output buffer of a statement decoded into engine rows, and the input
// buffer built from bound engine values. Blobs are read and written through the attachment in the
// transaction of the statement.
//
//   OutputMessage out(stmt->getOutputMetadata(&st));
//   while (rs->fetchNext(&st, out.buffer()) == IStatus::RESULT_OK) rows.push_back(out.decode(att, tra));
#pragma once

#include <cstdint>
#include <vector>

#include "engine/drivers/firebird/fbapi.h"
#include "engine/drivers/firebird/fbtypes.h"
#include "engine/types.h"

namespace vlm::engine::firebird {

// A message buffer aligned for every Firebird type.
class MessageBuffer {
public:
    void resize(unsigned bytes) { words_.assign((bytes + 7) / 8 + 1, 0); }
    unsigned char* data() { return reinterpret_cast<unsigned char*>(words_.data()); }

private:
    std::vector<std::uint64_t> words_;
};

class OutputMessage {
public:
    // Takes over the reference of meta (as getOutputMetadata returns it).
    explicit OutputMessage(Firebird::IMessageMetadata* meta);

    Firebird::IMessageMetadata* metadata() const { return meta_.get(); }
    unsigned char* buffer() { return buffer_.data(); }
    const std::vector<FieldDef>& fields() const { return fields_; }
    std::size_t count() const { return columns_.size(); }

    // The values of the row now in the buffer.
    Row decode(Firebird::IAttachment* att, Firebird::ITransaction* tra);

private:
    struct Column {
        MessageType type;
        unsigned offset = 0;
        unsigned nullOffset = 0;
        int chars = 0;
    };
    Ref<Firebird::IMessageMetadata> meta_;
    MessageBuffer buffer_;
    std::vector<Column> columns_;
    std::vector<FieldDef> fields_;
};

class InputMessage {
public:
    // Builds the message for values against the parameters as described (described may be null
    // when the statement has none). Values are sent in their own types and converted by the
    // server; blob parameters get a blob written in tra.
    void build(Firebird::IMessageMetadata* described, const std::vector<Value>& values,
               Firebird::IAttachment* att, Firebird::ITransaction* tra);

    Firebird::IMessageMetadata* metadata() const { return meta_.get(); }
    unsigned char* buffer() { return meta_ ? buffer_.data() : nullptr; }

private:
    Ref<Firebird::IMessageMetadata> meta_;
    MessageBuffer buffer_;
};

// The message types of a statement's parameters or columns.
std::vector<MessageType> messageTypes(Firebird::IMessageMetadata* meta);

}  // namespace vlm::engine::firebird
