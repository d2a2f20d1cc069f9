#pragma once

// XML documents of elements and texts on libxml2: read from a file's bytes in the encoding
// its declaration names (UTF-8 without one, UTF-16 by its byte-order mark), edited, and
// written back in that same encoding.
//
// Reading never leaves the file: no network, no external entity, no DTD at all (a document
// with a document type declaration is refused), and entity expansion is bounded by the
// parser. Whitespace-only text between elements is dropped, so that indentation does not
// count as content.
//
// Saving keeps the file well-formed at every step and holding the whole document. After
// the first save, a change at the document's end (an element appended as the last child of
// a last child, or the text of such an element) rewrites only the file's end, so that a run
// of appends costs in proportion to what was appended.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class XmlDocument;

// An element of a document; a null element stands for "none" and reads as empty.
class XmlElement {
public:
    XmlElement() = default;
    explicit operator bool() const { return m_node != nullptr; }
    friend bool operator==(XmlElement, XmlElement) = default;

    std::u16string Name() const;
    // The element's text (all text below it), unescaped.
    std::u16string Text() const;
    // Child elements, in order.
    std::vector<XmlElement> Children() const;
    XmlElement LastChild() const;
    // The first element below this one (in document order) with that name.
    XmlElement FirstDescendant(std::u16string_view name) const;

private:
    friend class XmlDocument;
    explicit XmlElement(void* node) : m_node(node) {}
    void* m_node = nullptr; // an xmlNode
};

class XmlDocument {
public:
    // A document from a file's bytes; null, with a one-line reason, for bytes that are no
    // well-formed document, or that bring a document type declaration.
    static std::unique_ptr<XmlDocument> Parse(std::string_view bytes, std::string& error);
    static std::unique_ptr<XmlDocument> Load(const std::filesystem::path& file, std::string& error);
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    XmlElement Root() const;
    // Every element of that name, in document order.
    std::vector<XmlElement> ElementsByName(std::u16string_view name) const;
    // Appends a copy of element (from any document) as parent's last child; the copy.
    XmlElement AppendCopy(XmlElement parent, XmlElement element);
    // Replaces what the element holds by text.
    void SetText(XmlElement element, std::u16string_view text);

    // The encoding the document is saved in: the one it was read in.
    const std::string& Encoding() const { return m_encoding; }

    // Writes the whole document to file, replacing it at once (a new file is renamed over
    // the old one); later changes are saved to the same file.
    bool Save(const std::filesystem::path& file);
    // Brings the saved file up to date after a change at or below changed. When changed is
    // the last child of a last child (and so on up to the document element), and the file
    // holds the document as saved before, only the file from changed on is written;
    // otherwise the whole document is saved again.
    bool SaveChange(XmlElement changed);

    // The document as it would be saved.
    std::string Serialize() const;

private:
    struct Impl;
    XmlDocument();
    std::unique_ptr<Impl> m_impl;
    std::string m_encoding;
};

} // namespace platform
