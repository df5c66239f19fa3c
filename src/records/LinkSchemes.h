#pragma once
// What the record window hands to the desktop's opener from its mail
// addresses and external links. The opener starts whatever program a
// scheme is registered to, and mail programs honour a query such as
// ?attach=<file>: a record typed in or copied from elsewhere must neither
// attach the user's files to a mail nor start some other program.

#include <QString>

// "mailto:" and the address alone (what comes before any '?' or '#'), from
// an address typed with or without "mailto:"; empty when no address is left.
QString MailtoAddress(const QString& typed);

// An external link that is no file, as the opener is to get it: an http or
// https address as it is, a mailto address as MailtoAddress gives it. Empty
// for any other scheme, or none: such a link is not opened.
QString OpenableWebLink(const QString& link);
