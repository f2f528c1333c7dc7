#include "converter/pdf_object_copier.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <qpdf/QPDFCryptoProvider.hh>
#include <stdexcept>
#include <unordered_set>

namespace converter {

namespace {

// Entries that are never copied, from any dictionary at any depth: what runs (actions and
// scripts: /A, /AA, /JS, /JavaScript), what leads out of the joined PDF (file specifications:
// /F, /FS, /EF, /EmbeddedFiles; a web address: /URI; a form standing for a page of another file:
// /Ref; an image or form to be swapped for an outside file when printed: /OPI; a launch: /Launch)
// and the external data of a stream (/F with its /FFilter and /FDecodeParms). None of them
// draws anything: on a stream /F names data kept in an outside file, elsewhere it is a file
// specification or, in annotations (never copied), their flags. Embedded files themselves are
// recognised by their type (see droppedObject).
bool droppedKey(const std::string &key)
{
    static const std::unordered_set<std::string> dropped = {
        "/A",   "/AA",  "/JS",  "/JavaScript", "/F",       "/FS",          "/EF", "/EmbeddedFiles",
        "/URI", "/Ref", "/OPI", "/Launch",     "/FFilter", "/FDecodeParms"};
    return dropped.count(key) != 0;
}

// Whether a dictionary's entry is copied; a stream's length is written from its data instead.
bool copiedEntry(const std::string &key, bool ofStream)
{
    return !droppedKey(key) && !(ofStream && key == "/Length");
}

// Objects copied as null wherever they are reached: file specifications, embedded files and
// actions, recognised by their type, and actions that run a script, a program or a web address,
// recognised by their kind even without a type.
bool droppedObject(QPDFObjectHandle object)
{
    QPDFObjectHandle dictionary = object.isStream() ? object.getDict() : object;
    if (!dictionary.isDictionary())
        return false;
    QPDFObjectHandle type = dictionary.getKey("/Type");
    QPDFObjectHandle kind = dictionary.getKey("/S");
    return type.isNameAndEquals("/Filespec") || type.isNameAndEquals("/EmbeddedFile") ||
           type.isNameAndEquals("/Action") || kind.isNameAndEquals("/JavaScript") ||
           kind.isNameAndEquals("/Launch") || kind.isNameAndEquals("/URI");
}

bool isRegular(unsigned char c)
{
    return c > ' ' && c < 0x7F && std::strchr("()<>[]{}/%#", c) == nullptr;
}

void appendName(std::string &text, const std::string &name)
{
    if (std::all_of(name.begin() + 1, name.end(), [](char c) { return isRegular(c); }))
        text += name;
    else
        text += QPDFObjectHandle::newName(name).unparse();
}

// Stream data as it passes: its length and an MD5 digest of its start, the first step to
// finding it again. With the length, the first 64 KB tell apart all but streams made to look
// alike, which the byte comparison then tells apart; digesting a 5 MB image whole would cost
// more than copying it.
class DigestPipeline final : public Pipeline
{
public:
    DigestPipeline() : Pipeline("digest", nullptr), m_md5(QPDFCryptoProvider::getImpl())
    {
        m_md5->MD5_init();
    }
    void write(unsigned char const *data, std::size_t length) override
    {
        constexpr std::uint64_t digested = 65536;
        if (m_length < digested)
            m_md5->MD5_update(data, std::min<std::uint64_t>(length, digested - m_length));
        m_length += length;
    }
    void finish() override {}

    std::uint64_t length() const { return m_length; }
    std::uint64_t digest()
    {
        QPDFCryptoImpl::MD5_Digest digest;
        m_md5->MD5_finalize();
        m_md5->MD5_digest(digest);
        std::uint64_t value = 0;
        std::memcpy(&value, digest, sizeof value);
        return value;
    }

private:
    std::shared_ptr<QPDFCryptoImpl> m_md5;
    std::uint64_t m_length = 0;
};

// Stream data compared, as it passes, with what the joined PDF holds from a given offset.
class ComparingPipeline final : public Pipeline
{
public:
    ComparingPipeline(PdfWriter &writer, std::uint64_t at)
        : Pipeline("compare", nullptr), m_writer(writer), m_at(at)
    {}
    void write(unsigned char const *data, std::size_t length) override
    {
        // libqpdf takes an exception from a pipeline for a damaged stream: a difference only
        // stops the comparing.
        if (!m_same)
            return;
        m_same = m_writer.matches(m_at, {reinterpret_cast<const char *>(data), length});
        m_at += length;
    }
    void finish() override {}
    bool same() const { return m_same; }

private:
    PdfWriter &m_writer;
    std::uint64_t m_at;
    bool m_same = true;
};

constexpr std::string_view streamEnd = "\nendstream";

} // namespace

PdfObjectCopier::PdfObjectCopier(PdfWriter &writer, SharedObjects &shared, ObjectSet cutOff)
    : m_writer(writer), m_shared(shared), m_cutOff(std::move(cutOff))
{}

void PdfObjectCopier::append(std::string &text, const QPDFObjectHandle &value)
{
    if (value.isIndirect()) {
        appendItem(text, value);
        return;
    }
    std::vector<QPDFObjectHandle> reached;
    references(value, reached);
    for (QPDFObjectHandle &indirect : reached)
        numberOf(indirect);
    appendDirect(text, value);
}

bool PdfObjectCopier::leadsNowhere(QPDFObjectHandle item) const
{
    return m_cutOff.count(item.getObjGen()) != 0 || item.isNull() || droppedObject(item);
}

bool PdfObjectCopier::omitted(const QPDFObjectHandle &value) const
{
    return value.isIndirect() ? leadsNowhere(value) : droppedObject(value);
}

std::uint32_t PdfObjectCopier::numberOf(const QPDFObjectHandle &indirect)
{
    const QPDFObjGen wanted = indirect.getObjGen();
    if (const auto known = m_numbers.find(wanted); known != m_numbers.end())
        return known->second;

    // Depth first with a stack of its own: a chain of references as long as the part likes
    // must not exhaust the call stack.
    struct Pending
    {
        QPDFObjectHandle object;
        std::vector<QPDFObjectHandle> references;
        std::size_t next = 0;
    };
    std::vector<Pending> stack;
    const auto start = [&](const QPDFObjectHandle &object) {
        m_inProgress.insert(object.getObjGen());
        Pending pending{object, {}};
        references(object, pending.references);
        stack.push_back(std::move(pending));
    };
    start(indirect);
    while (!stack.empty()) {
        Pending &top = stack.back();
        if (top.next == top.references.size()) {
            write(top.object);
            stack.pop_back();
            continue;
        }
        QPDFObjectHandle next = top.references[top.next++];
        const QPDFObjGen id = next.getObjGen();
        if (m_numbers.count(id) != 0)
            continue;
        if (m_inProgress.count(id) != 0) {
            m_numbers.emplace(id, m_writer.allocate());
            m_reserved.insert(id);
            continue;
        }
        start(next);
    }
    return m_numbers.at(wanted);
}

void PdfObjectCopier::references(QPDFObjectHandle value, std::vector<QPDFObjectHandle> &into)
{
    const auto item = [&](const QPDFObjectHandle &entry) {
        if (!entry.isIndirect())
            references(entry, into);
        else if (!leadsNowhere(entry))
            into.push_back(entry);
    };
    const bool stream = value.isStream();
    if (stream)
        value = value.getDict();
    if (droppedObject(value))
        return;
    if (value.isDictionary()) {
        for (auto &[key, entry] : value.ditems())
            if (copiedEntry(key, stream))
                item(entry);
    } else if (value.isArray()) {
        for (auto &entry : value.aitems())
            item(entry);
    }
}

void PdfObjectCopier::appendItem(std::string &text, const QPDFObjectHandle &item)
{
    if (!item.isIndirect()) {
        appendDirect(text, item);
    } else if (leadsNowhere(item)) {
        text += "null";
    } else {
        text += std::to_string(numberOf(item));
        text += " 0 R";
    }
}

void PdfObjectCopier::appendDirect(std::string &text, QPDFObjectHandle value)
{
    switch (value.getTypeCode()) {
    case ::ot_null:
        text += "null";
        return;
    case ::ot_boolean:
    case ::ot_integer:
    case ::ot_real:
    case ::ot_string:
        text += value.unparse();
        return;
    case ::ot_name:
        appendName(text, value.getName());
        return;
    case ::ot_array:
        text += '[';
        for (auto &entry : value.aitems()) {
            if (text.back() != '[')
                text += ' ';
            appendItem(text, entry);
        }
        text += ']';
        return;
    case ::ot_dictionary:
        if (droppedObject(value)) {
            text += "null";
            return;
        }
        text += "<<";
        for (auto &[key, entry] : value.ditems()) {
            if (droppedKey(key) || omitted(entry))
                continue;
            appendName(text, key);
            text += ' ';
            appendItem(text, entry);
        }
        text += ">>";
        return;
    default:
        // Content-stream tokens, or a stream where only a reference may stand.
        throw std::runtime_error("unexpected object type");
    }
}

void PdfObjectCopier::write(QPDFObjectHandle object)
{
    const QPDFObjGen id = object.getObjGen();
    m_inProgress.erase(id);
    const bool reserved = m_reserved.count(id) != 0;
    if (object.isStream()) {
        writeStream(object, id, reserved);
        return;
    }
    std::string body;
    appendDirect(body, object);
    const std::uint64_t key = std::hash<std::string>()(body);
    if (!reserved) {
        const auto same = m_shared.find(
            key, body.size(), [&](std::uint64_t at) { return m_writer.matches(at, body); });
        if (same) {
            m_numbers.emplace(id, *same);
            return;
        }
    }
    const std::uint32_t number = reserved ? m_numbers.at(id) : m_writer.allocate();
    m_writer.beginObject(number);
    const std::uint64_t at = m_writer.offset();
    m_writer.append(body);
    m_writer.endObject();
    if (!reserved)
        m_shared.add(key, body.size(), number, at);
    m_numbers.emplace(id, number);
}

void PdfObjectCopier::writeStream(QPDFObjectHandle stream, const QPDFObjGen &id, bool reserved)
{
    // Read twice from the part, never held whole: once to find it again, once to write it.
    DigestPipeline digest;
    if (!stream.pipeStreamData(&digest, nullptr, 0, qpdf_dl_none))
        throw std::runtime_error("unreadable stream");
    std::string head = "<<";
    for (auto &[key, entry] : stream.getDict().ditems()) {
        if (!copiedEntry(key, true) || omitted(entry))
            continue;
        appendName(head, key);
        head += ' ';
        appendItem(head, entry);
    }
    head += "/Length " + std::to_string(digest.length()) + ">>\nstream\n";
    const std::uint64_t length = head.size() + digest.length() + streamEnd.size();
    // Found by its data alone: streams of the same data under other dictionaries (an image
    // with another colour space) are compared as well, and stay apart.
    const std::uint64_t key = digest.digest();
    if (!reserved) {
        const auto same = m_shared.find(key, length, [&](std::uint64_t at) {
            if (!m_writer.matches(at, head))
                return false;
            ComparingPipeline compare(m_writer, at + head.size());
            return stream.pipeStreamData(&compare, nullptr, 0, qpdf_dl_none) && compare.same();
        });
        if (same) {
            m_numbers.emplace(id, *same);
            return;
        }
    }
    const std::uint32_t number = reserved ? m_numbers.at(id) : m_writer.allocate();
    m_writer.beginObject(number);
    const std::uint64_t at = m_writer.offset();
    m_writer.append(head);
    PdfWriterPipeline output(m_writer);
    if (!stream.pipeStreamData(&output, nullptr, 0, qpdf_dl_none))
        throw std::runtime_error("unreadable stream");
    m_writer.append(streamEnd);
    m_writer.endObject();
    if (!reserved)
        m_shared.add(key, length, number, at);
    m_numbers.emplace(id, number);
}

} // namespace converter
