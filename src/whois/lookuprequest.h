#pragma once

#include <QString>

class RegistrarTable;
struct WhoisOptions;

// A name ready to be looked up: as written, as asked, and the server to ask. Made by
// routeFor(), the one step where a candidate from a list, a page or the command line becomes
// something the pool can send, or a name that cannot be asked, with the reason.
struct LookupRequest {
    enum class Problem {
        None,
        NoRoute,  // no registry service for the extension (or no proxy row): `refusal` says why
        BadRow,   // the row has no server, or a WHOIS row no port
        NotAName // not a domain name under a delegated extension: `refusal` says why
    };

    QString name;  // what is filed and shown: the name as the user wrote it, with its extension
    QString ascii; // what goes on the wire
    QString server;
    quint16 port = 0;
    bool rdap = false; // the server is an RDAP base address
    Problem problem = Problem::None;
    QString refusal; // why a NoRoute or NotAName name is not asked

    bool askable() const { return problem == Problem::None; }
    // The reason of the unknown outcome of a name that cannot be asked ("" when it can).
    QString reason() const;
};

// Reduces a URL in `candidate` to its host, cleans it (escapes, punctuation, control
// characters), adds the default extension to a bare word, checks that it is a domain name under
// a delegated extension (its ASCII form is what is asked, its Unicode form what is filed), and
// finds its registrar row.
LookupRequest routeFor(const QString &candidate, const RegistrarTable &table,
                       const WhoisOptions &options);
