#pragma once

#include <optional>
#include <string>

#include "printer/Spooler.h"
#include "record/RecordBook.h"
#include "record/RecordFile.h"

namespace qvset {

// A printer's record read beside what its server says of the printer's jobs.
struct ServerCheckedRecord {
    QueueIdentity queue;  // the printer as the server knows it
    Record record;
    RecordedState state;
    // Whether the server listed its jobs (false: the record alone speaks, and the unknown items are
    // only those the record itself cannot vouch for).
    bool serverAsked = false;
    // Whether the server is a printer application that said what the printer holds: then `state` holds
    // its word on every setting (the documents of every client), and `service` the settings as it gave them.
    bool fromService = false;
    std::vector<ServiceSetting> service;
};

// The state a printer application reports (each setting's command, else the command of its value, with
// the document that set it), over `record`'s mode values and parameter table, which it does not report.
// A setting it names that the catalogue does not have is left out.
RecordedState StateFromService(const std::vector<ServiceSetting>& settings, const RecordedState& record);

// Reads the record of `printer` in `book` and asks the spooler for the printer's jobs. A job of the
// record that the server has seen end (completed, cancelled, aborted) gets that fate, written to the
// record; a document that got no answer is matched with the job this program's user made of it at that
// time, when the server has one. A job that is in no entry of the record (another PC, another program,
// a run that kept no record) makes every item unknown that the record last set before that job was
// made. When the server is a printer application, what it says the printer holds replaces the
// record's switches and distances (see StateFromService). nullopt, with the reason in `error`, when the
// record cannot be read.
std::optional<ServerCheckedRecord> ReadRecordWithServer(RecordBook& book, Spooler& spooler,
                                                        const std::string& printer, std::string* error);

}  // namespace qvset
