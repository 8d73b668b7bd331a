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
};

// Reads the record of `printer` in `book` and asks the spooler for the printer's jobs. A job of the
// record that the server has seen end (completed, cancelled, aborted) gets that fate, written to the
// record; a document that got no answer is matched with the job this program's user made of it at that
// time, when the server has one. A job that is in no entry of the record (another PC, another program,
// a run that kept no record) makes every item unknown that the record last set before that job was
// made. nullopt, with the reason in `error`, when the record cannot be read.
std::optional<ServerCheckedRecord> ReadRecordWithServer(RecordBook& book, Spooler& spooler,
                                                        const std::string& printer, std::string* error);

}  // namespace qvset
