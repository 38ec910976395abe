#pragma once

// Which page texts the editing component refuses to hold. Everything else,
// however malformed, is accepted and repaired as a browser would repair it.
//
// The rule:
//  - A frameset page: outside comments, a <frameset> start tag appears before
//    any <body> start tag and before any visible text. Such a page has no body
//    to edit. Refused with ComponentErrorCode::Frameset.
//  - A page that is mostly server-side script: the text inside <% ... %>,
//    <?php ... ?> / <? ... ?> (but not <?xml) blocks and inside
//    <script runat="server"> elements makes up more than half of the page's
//    non-blank characters. Refused with ComponentErrorCode::ServerScript.
//    A block is server code only with its closing delimiter (an open
//    "<?php" aside, see server_blocks.h): "5<% of sales" is text.

#include <QString>

// Throws ComponentError when the page cannot be held.
void checkPageAcceptable(const QString &html);

// The same rule as a value, for callers that must not throw: 0 when accepted.
quint32 pageRejectionCode(const QString &html);
