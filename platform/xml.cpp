#include "platform/xml.h"

#include "platform/text.h"

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

xmlNode* NodeOf(void* node) {
    return static_cast<xmlNode*>(node);
}
const char* Chars(const xmlChar* s) {
    return s ? reinterpret_cast<const char*>(s) : "";
}
const xmlChar* XmlChars(const std::string& s) {
    return reinterpret_cast<const xmlChar*>(s.c_str());
}

xmlParserInputPtr NoExternalEntity(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}

// The library's own reports (an encoding error, say) would go to standard error; the
// program tells the owner in its own words, from the error the parse leaves behind.
void Silent(void*, const char*, ...) {}

void InitParser() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlSetExternalEntityLoader(NoExternalEntity);
        // Files labelled GB2312 often hold characters of its superset.
        xmlAddEncodingAlias("GBK", "GB2312");
    });
}

bool IsBlank(const xmlChar* text) {
    for (const char* c = Chars(text); *c; ++c)
        if (*c != ' ' && *c != '\t' && *c != '\n' && *c != '\r')
            return false;
    return true;
}

// Drops whitespace-only text beside child elements; a leaf's own text stays as it is.
void DropBlanks(xmlNode* node) {
    bool hasElements = false;
    for (xmlNode* c = node->children; c; c = c->next)
        hasElements = hasElements || c->type == XML_ELEMENT_NODE;
    for (xmlNode* c = node->children; c;) {
        xmlNode* next = c->next;
        if (hasElements && c->type == XML_TEXT_NODE && IsBlank(c->content)) {
            xmlUnlinkNode(c);
            xmlFreeNode(c);
        } else if (c->type == XML_ELEMENT_NODE) {
            DropBlanks(c);
        }
        c = next;
    }
}

// The encoding a file is in: its declaration's, else UTF-16 by a byte-order mark, else UTF-8.
std::string EncodingOf(const xmlDoc* doc, std::string_view bytes) {
    if (doc->encoding)
        return Chars(doc->encoding);
    if (bytes.size() >= 2 &&
        ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
        return "UTF-16";
    return "UTF-8";
}

void Escape(std::string& out, const char* text, bool attribute) {
    for (const char* c = text; *c; ++c) {
        switch (*c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\r':
            out += "&#13;";
            break;
        case '"':
            out += attribute ? "&quot;" : "\"";
            break;
        case '\t':
        case '\n':
            out += *c;
            break;
        default:
            // Other control characters have no form in XML 1.0, not even as references.
            if (static_cast<unsigned char>(*c) < 0x20)
                out += "\xEF\xBF\xBD";
            else
                out += *c;
        }
    }
}

std::string QualifiedName(const xmlNode* node) {
    std::string name;
    if (node->ns && node->ns->prefix)
        name = std::string(Chars(node->ns->prefix)) + ":";
    return name + Chars(node->name);
}

// Calls visit for each element named name below top (and top itself when withTop), in
// document order, until visit returns false. Depth first, without recursion.
template <class Visit>
void VisitElementsNamed(xmlNode* top, bool withTop, std::u16string_view name, Visit&& visit) {
    const std::string wanted = Utf16ToUtf8(name);
    for (xmlNode* n = withTop ? top : top->children; n;) {
        if (n->type == XML_ELEMENT_NODE && wanted == Chars(n->name) && !visit(n))
            return;
        if (n->children && n->type == XML_ELEMENT_NODE) {
            n = n->children;
            continue;
        }
        while (n && !n->next && n != top)
            n = n->parent;
        n = (n && n != top) ? n->next : nullptr;
    }
}

} // namespace

// Text in the file's encoding; characters it lacks become character references.
class Encoder {
public:
    explicit Encoder(std::string& encoding) {
        std::string name = encoding;
        for (char& c : name)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        m_utf8 = name == "UTF-8" || name == "UTF8";
        if (m_utf8)
            return;
        m_bom = name == "UTF-16" || name == "UTF16";
        UErrorCode status = U_ZERO_ERROR;
        m_converter = ucnv_open(m_bom ? "UTF-16LE" : encoding.c_str(), &status);
        if (U_FAILURE(status)) {
            m_converter = nullptr;
            m_utf8 = true;
            encoding = "UTF-8"; // a name the converters do not know: saved as UTF-8
            return;
        }
        status = U_ZERO_ERROR;
        ucnv_setFromUCallBack(m_converter, UCNV_FROM_U_CALLBACK_ESCAPE, UCNV_ESCAPE_XML_DEC,
                              nullptr, nullptr, &status);
    }
    ~Encoder() {
        if (m_converter)
            ucnv_close(m_converter);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    bool WantsByteOrderMark() const { return m_bom; }

    void Put(std::string& out, std::string_view utf8) const {
        if (m_utf8) {
            out += utf8;
            return;
        }
        const std::u16string text = Utf8ToUtf16(utf8);
        UErrorCode status = U_ZERO_ERROR;
        const int32_t need =
            ucnv_fromUChars(m_converter, nullptr, 0, reinterpret_cast<const UChar*>(text.data()),
                            static_cast<int32_t>(text.size()), &status);
        const std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(need));
        status = U_ZERO_ERROR;
        ucnv_fromUChars(m_converter, out.data() + at, need,
                        reinterpret_cast<const UChar*>(text.data()),
                        static_cast<int32_t>(text.size()), &status);
    }

private:
    UConverter* m_converter = nullptr;
    bool m_utf8 = true;
    bool m_bom = false;
};

struct XmlDocument::Impl {
    ~Impl() {
        CloseFile();
        if (doc)
            xmlFreeDoc(doc);
    }

    // The document's last line of descent as the file holds it: each node's byte range.
    struct Span {
        xmlNode* node;
        std::size_t start, end;
    };

    // Writes node into out (in the file's encoding), noting the byte ranges of the nodes of
    // chain from depth on, as offsets from base.
    void Write(std::string& out, xmlNode* node, std::vector<Span>& spans, std::size_t depth,
               std::size_t base) const {
        const std::size_t start = out.size();
        std::string text;
        switch (node->type) {
        case XML_ELEMENT_NODE: {
            text = "<" + QualifiedName(node);
            for (const xmlNs* ns = node->nsDef; ns; ns = ns->next) {
                text += ns->prefix ? std::string(" xmlns:") + Chars(ns->prefix) : " xmlns";
                text += "=\"";
                Escape(text, Chars(ns->href), true);
                text += '"';
            }
            for (const xmlAttr* a = node->properties; a; a = a->next) {
                xmlChar* value = xmlNodeListGetString(doc, a->children, 1);
                text += std::string(" ") + Chars(a->name) + "=\"";
                Escape(text, Chars(value), true);
                text += '"';
                xmlFree(value);
            }
            text += '>';
            encoder->Put(out, text);
            for (xmlNode* c = node->children; c; c = c->next)
                Write(out, c, spans, depth != SIZE_MAX && c == node->last ? depth + 1 : SIZE_MAX,
                      base);
            encoder->Put(out, "</" + QualifiedName(node) + ">");
            break;
        }
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
            Escape(text, Chars(node->content), false);
            encoder->Put(out, text);
            break;
        case XML_COMMENT_NODE:
            encoder->Put(out, std::string("<!--") + Chars(node->content) + "-->");
            break;
        case XML_PI_NODE:
            encoder->Put(out,
                         std::string("<?") + Chars(node->name) + " " + Chars(node->content) + "?>");
            break;
        default:
            break;
        }
        if (depth != SIZE_MAX) {
            if (spans.size() <= depth)
                spans.resize(depth + 1);
            spans[depth] = {node, base + start, base + out.size()};
        }
    }

    std::string Prolog() const {
        std::string out;
        if (encoder->WantsByteOrderMark())
            out = "\xFF\xFE";
        encoder->Put(out, "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\n");
        return out;
    }

    // What follows the document element: the nodes after it and the final line end.
    void Epilog(std::string& out) const {
        std::vector<Span> none;
        for (xmlNode* n = xmlDocGetRootElement(doc)->next; n; n = n->next)
            Write(out, n, none, SIZE_MAX, 0);
        encoder->Put(out, "\n");
    }

    std::string Whole(std::vector<Span>& newChain) const {
        std::string out = Prolog();
        xmlNode* root = xmlDocGetRootElement(doc);
        std::vector<Span> none;
        for (xmlNode* n = doc->children; n && n != root; n = n->next)
            if (n->type == XML_COMMENT_NODE || n->type == XML_PI_NODE)
                Write(out, n, none, SIZE_MAX, 0);
        newChain.clear();
        // The chain's depth 0 is the document element; its descendants follow by last child.
        Write(out, root, newChain, 0, 0);
        Epilog(out);
        return out;
    }

    xmlDoc* doc = nullptr;
    std::string encoding;
    std::unique_ptr<Encoder> encoder;
    std::filesystem::path file;
    std::vector<Span> chain; // as saved
    std::size_t fileSize = 0;
    int fd = -1; // the saved file, open for the changes that follow

    void CloseFile() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    bool saved = false;
};

std::u16string XmlElement::Name() const {
    return m_node ? Utf8ToUtf16(Chars(NodeOf(m_node)->name)) : u"";
}

std::u16string XmlElement::Text() const {
    if (!m_node)
        return u"";
    xmlChar* text = xmlNodeGetContent(NodeOf(m_node));
    std::u16string result = Utf8ToUtf16(Chars(text));
    xmlFree(text);
    return result;
}

std::vector<XmlElement> XmlElement::Children() const {
    std::vector<XmlElement> children;
    if (m_node)
        for (xmlNode* c = NodeOf(m_node)->children; c; c = c->next)
            if (c->type == XML_ELEMENT_NODE)
                children.push_back(XmlElement(c));
    return children;
}

XmlElement XmlElement::LastChild() const {
    if (m_node)
        for (xmlNode* c = NodeOf(m_node)->last; c; c = c->prev)
            if (c->type == XML_ELEMENT_NODE)
                return XmlElement(c);
    return {};
}

XmlElement XmlElement::FirstDescendant(std::u16string_view name) const {
    XmlElement found;
    if (m_node)
        VisitElementsNamed(NodeOf(m_node), false, name, [&found](xmlNode* n) {
            found = XmlElement(n);
            return false;
        });
    return found;
}

XmlDocument::XmlDocument() : m_impl(std::make_unique<Impl>()) {}
XmlDocument::~XmlDocument() = default;

std::unique_ptr<XmlDocument> XmlDocument::Parse(std::string_view bytes, std::string& error) {
    InitParser();
    if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) {
        error = "the file is too large";
        return nullptr;
    }
    xmlSetGenericErrorFunc(nullptr, Silent); // for this thread, as the library keeps it
    xmlDoc* doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc) {
        const xmlError* e = xmlGetLastError();
        error = e && e->message ? Chars(reinterpret_cast<const xmlChar*>(e->message))
                                : "not a well-formed document";
        while (!error.empty() && error.back() == '\n')
            error.pop_back();
        return nullptr;
    }
    std::unique_ptr<XmlDocument> document(new XmlDocument());
    document->m_impl->doc = doc;
    if (doc->intSubset || doc->extSubset) {
        error = "the document brings a document type declaration";
        return nullptr;
    }
    if (!xmlDocGetRootElement(doc)) {
        error = "the document has no document element";
        return nullptr;
    }
    DropBlanks(xmlDocGetRootElement(doc));
    document->m_encoding = EncodingOf(doc, bytes);
    document->m_impl->encoder = std::make_unique<Encoder>(document->m_encoding);
    document->m_impl->encoding = document->m_encoding;
    return document;
}

std::unique_ptr<XmlDocument> XmlDocument::Load(const std::filesystem::path& file,
                                               std::string& error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "cannot read " + file.string();
        return nullptr;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "cannot read " + file.string();
        return nullptr;
    }
    return Parse(bytes, error);
}

XmlElement XmlDocument::Root() const {
    return XmlElement(xmlDocGetRootElement(m_impl->doc));
}

std::vector<XmlElement> XmlDocument::ElementsByName(std::u16string_view name) const {
    std::vector<XmlElement> found;
    VisitElementsNamed(xmlDocGetRootElement(m_impl->doc), true, name, [&found](xmlNode* n) {
        found.push_back(XmlElement(n));
        return true;
    });
    return found;
}

XmlElement XmlDocument::AppendCopy(XmlElement parent, XmlElement element) {
    if (!parent || !element)
        return {};
    xmlNode* copy = xmlDocCopyNode(NodeOf(element.m_node), m_impl->doc, 1);
    if (!copy)
        return {};
    if (!xmlAddChild(NodeOf(parent.m_node), copy)) {
        xmlFreeNode(copy);
        return {};
    }
    return XmlElement(copy);
}

void XmlDocument::SetText(XmlElement element, std::u16string_view text) {
    if (!element)
        return;
    xmlNode* node = NodeOf(element.m_node);
    xmlNodeSetContent(node, nullptr);
    if (!text.empty())
        xmlAddChild(node, xmlNewDocText(m_impl->doc, XmlChars(Utf16ToUtf8(text))));
}

std::string XmlDocument::Serialize() const {
    std::vector<Impl::Span> chain;
    return m_impl->Whole(chain);
}

bool XmlDocument::Save(const std::filesystem::path& file) {
    Impl& d = *m_impl;
    d.saved = false;
    d.file = file;
    std::vector<Impl::Span> chain;
    const std::string bytes = d.Whole(chain);
    // A new file renamed over the old one: the old file stays whole until the new one is.
    std::filesystem::path temp = file;
    temp += ".saving";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    std::error_code error;
    if (done == bytes.size())
        std::filesystem::rename(temp, file, error);
    if (done != bytes.size() || error) {
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    }
    d.CloseFile();
    d.fd = fd; // now the file's
    d.chain = std::move(chain);
    d.fileSize = bytes.size();
    d.saved = true;
    return true;
}

bool XmlDocument::SaveChange(XmlElement changed) {
    Impl& d = *m_impl;
    if (!d.saved || !changed)
        return d.file.empty() ? false : Save(d.file);
    // The document's last line of descent now, and where changed stands on it.
    std::vector<xmlNode*> now{xmlDocGetRootElement(d.doc)};
    while (now.back()->type == XML_ELEMENT_NODE && now.back()->last)
        now.push_back(now.back()->last);
    std::size_t depth = 0;
    while (depth < now.size() && now[depth] != NodeOf(changed.m_node))
        ++depth;
    bool same = depth < now.size() && depth > 0;
    for (std::size_t k = 0; same && k < depth && k < d.chain.size(); ++k)
        same = d.chain[k].node == now[k];
    // Where the file's bytes begin to differ: at changed itself when the file has it on its
    // line of descent, else right after the sibling before it, a new last child.
    std::size_t start = 0;
    if (same && depth < d.chain.size() && d.chain[depth].node == now[depth]) {
        start = d.chain[depth].start;
    } else if (same && depth <= d.chain.size() && depth - 1 < d.chain.size()) {
        xmlNode* before = now[depth]->prev;
        if (depth < d.chain.size() && d.chain[depth].node == before) {
            start = d.chain[depth].end;
        } else if (!before && depth == d.chain.size()) {
            std::string close;
            d.encoder->Put(close, "</" + QualifiedName(now[depth - 1]) + ">");
            start = d.chain[depth - 1].end - close.size();
        } else {
            same = false;
        }
    } else {
        same = false;
    }
    struct stat status {};
    if (!same || d.fd < 0 || ::fstat(d.fd, &status) != 0 ||
        static_cast<std::size_t>(status.st_size) != d.fileSize)
        return Save(d.file);

    std::vector<Impl::Span> chain(d.chain.begin(),
                                  d.chain.begin() + static_cast<std::ptrdiff_t>(depth));
    std::string tail;
    d.Write(tail, now[depth], chain, depth, start);
    chain.resize(now.size());
    for (std::size_t k = depth; k-- > 0;) {
        d.encoder->Put(tail, "</" + QualifiedName(now[k]) + ">");
        chain[k].end = start + tail.size();
    }
    d.Epilog(tail);

    // One write of the new end; the file only grows when an element is added or filled, so
    // it is cut only when a text became shorter.
    const std::size_t size = start + tail.size();
    const ssize_t written = ::pwrite(d.fd, tail.data(), tail.size(), static_cast<off_t>(start));
    const bool ok = written == static_cast<ssize_t>(tail.size()) &&
                    (size >= d.fileSize || ::ftruncate(d.fd, static_cast<off_t>(size)) == 0);
    if (!ok)
        return Save(d.file);
    d.chain = std::move(chain);
    d.fileSize = size;
    return true;
}

} // namespace platform
