#pragma once

#include "extract/context.h"

namespace extract::detail {

/// A zip archive, an Office Open XML or an OpenDocument package.
void ExtractZip(Context& context, ByteSource& source);
/// A PDF document: the text of every page. It is read whole, unless held has its bytes already.
void ExtractPdf(Context& context, ByteSource& source, std::string_view held);
/// An RTF document.
void ExtractRtf(Context& context, ByteSource& source);
/// An HTML page.
void ExtractHtml(Context& context, ByteSource& source);
/// An XML document other than a package part.
void ExtractXml(Context& context, ByteSource& source);
/// Whether a mail file holds one message or an mbox of many.
enum class MailFile { Message, Mbox };
/// An e-mail message or mbox: headers, text parts and attachments.
void ExtractMail(Context& context, ByteSource& source, MailFile form);
/// A compound (OLE) file: only an encrypted Office package is recognised in one.
void ExtractCompound(Context& context, ByteSource& source);
/// A compressed stream (gzip, bzip2, xz, lzma, zstd) or a tar, cpio, 7z, ISO 9660 or RAR archive:
/// every member as raw bytes and, when it is one, as a document.
void ExtractArchive(Context& context, ByteSource& source);
/// An image file (PNG, JPEG, TIFF with all its pages, BMP, GIF, WebP): its recognised text.
void ExtractImage(Context& context, ByteSource& source, std::string_view held);
/// The recognised text of page index (from 0, of pages) of a PDF whose bytes are document, for
/// a page that carries no text of its own; page is a poppler::page.
void RecogniseScannedPage(Context& context, std::string_view document, const void* page, int index,
                          int pages);

}  // namespace extract::detail
