#pragma once

// How big and how deep a page the editing engine is given. Above these the
// browser takes minutes and gigabytes over a page, or gives up, so such pages
// are refused up front with their own codes (ComponentErrorCode::PageTooLarge,
// PageTooDeep) instead of waiting for the engine's timeout.

#include <QString>
#include <QStringView>

// 32 MB: a 20 MB page still opens in a few seconds; a 100 MB one would take
// the process tree past 5 GB.
constexpr qint64 MaxPageBytes = 32 * 1024 * 1024;
// The browser's parser stops nesting at 512 levels and hangs everything deeper
// beside the 512th; laying that out grows much faster than the page. 4000
// levels still load in well under a second.
constexpr int MaxPageDepth = 4000;

// How deep the page's elements nest, as its markup reads: start tags of
// elements that need their end tag, less the end tags that close them. Void
// elements and those whose end tag may be left out (p, li, td, ...) never
// count; comments, raw text and server code are skipped. Counting stops at
// limit + 1.
int pageNestingDepth(QStringView html, int limit = MaxPageDepth);

// Throws PageTooLarge when the file is over MaxPageBytes, before it is read.
void checkPageFileSize(const QString &path);
// Throws PageTooLarge for a text of more than MaxPageBytes characters, or
// PageTooDeep for one nested deeper than MaxPageDepth.
void checkPageLimits(const QString &html);
