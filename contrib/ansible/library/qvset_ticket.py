#!/usr/bin/python3
# An Ansible module that puts a ticket description on QV6 thermal ticket printers through qvctl.
from __future__ import annotations

import json
import os
import subprocess
import tempfile

from ansible.module_utils.basic import AnsibleModule

DOCUMENTATION = r"""
module: qvset_ticket
short_description: Put a ticket description on QV6 thermal ticket printers
description:
  - Sends the items of a ticket description (a file written by qvset's "保存票样" or by
    C(qvctl ticket new), or the items given here) to every chosen printer of every chosen print
    server, through C(qvctl --json ticket apply).
  - The printers cannot be read back. What a printer holds is taken from the record qvctl keeps of
    what it sent to each printer (C(qvctl history)), on the host the module runs on.
  - With I(changed_only) (the default) only the items that differ from that record are sent, and a
    printer already as described is left alone, so that a second run sends nothing.
  - Check mode is C(qvctl ticket plan): it reports what would be sent to each printer (every item
    without I(changed_only)) and sends nothing, for one printer as for many.
  - Items given as YAML booleans (C(black-mark: on)) are the on/off choices.
options:
  printers:
    description: Printer names or shell patterns (C(QV6*)) matched on every server. Default, each
      server's current printer.
    type: list
    elements: str
    default: []
  servers:
    description: CUPS servers as C(HOST[:PORT]) (Windows print servers as C(\\\\HOST)). Default, the one
      the host's printing system uses.
    type: list
    elements: str
    default: []
  description:
    description: Path of a ticket description file on the host. One of I(description) and I(items).
    type: path
  items:
    description: The items as C(qvctl ticket new) options without their dashes, for example
      C({black-mark: "on", paper: "58", length: 100}); C(threshold: true) records the threshold.
    type: dict
  changed_only:
    description: Send only the items that differ from what each printer was last sent.
    type: bool
    default: true
  qvctl:
    description: The qvctl program.
    type: str
    default: qvctl
"""

RETURN = r"""
printers:
  description: One entry per printer (or problem) of the run, as qvctl's report gives it.
  type: list
  elements: dict
  contains:
    server: {description: The print server, type: str}
    printer: {description: The printer, type: str}
    result: {description: ok, unchanged, failed or refused, type: str}
    documents: {description: Documents the printer's spooler took, type: int}
    messages: {description: What qvctl said about this printer, type: list}
    sends: {description: In check mode, the bytes (hex) the printer would be sent, type: str}
summary:
  description: qvctl's summary (printers, ok, unchanged, failed, refused, documents, seconds).
  type: dict
"""


def run_qvctl(module, arguments):
    """Runs qvctl with its JSON report and returns (status, report)."""
    command = [module.params["qvctl"], "--json"]
    for server in module.params["servers"]:
        command += ["--server", server]
    for printer in module.params["printers"]:
        command += ["--printer", printer]
    command += arguments
    status, out, err = module.run_command(command)
    try:
        report = json.loads(out)
    except ValueError:
        module.fail_json(msg="qvctl gave no report: " + (err.strip() or out.strip()), rc=status, cmd=command)
    return status, report, err


def description_file(module, folder):
    """The description to send: the file given, or one qvctl writes from the items."""
    if module.params["description"]:
        return module.params["description"]
    path = os.path.join(folder, "ticket.txt")
    command = [module.params["qvctl"], "ticket", "new", path]
    for word, value in sorted(module.params["items"].items()):
        if word == "threshold":
            if value in (True, "true", "yes", "on"):
                command.append("--threshold")
            continue
        # YAML reads on/off, yes/no and true/false as booleans: they are the on/off choices.
        if isinstance(value, bool):
            value = "on" if value else "off"
        command += ["--" + word, str(value)]
    status, _, err = module.run_command(command)
    if status != 0:
        module.fail_json(msg="the items were refused: " + err.strip(), rc=status)
    return path


def main():
    module = AnsibleModule(
        argument_spec=dict(
            printers=dict(type="list", elements="str", default=[]),
            servers=dict(type="list", elements="str", default=[]),
            description=dict(type="path"),
            items=dict(type="dict"),
            changed_only=dict(type="bool", default=True),
            qvctl=dict(type="str", default="qvctl"),
        ),
        mutually_exclusive=[("description", "items")],
        required_one_of=[("description", "items")],
        supports_check_mode=True,
    )
    with tempfile.TemporaryDirectory(prefix="qvset-ansible-") as folder:
        path = description_file(module, folder)
        if module.check_mode:
            status, report, err = run_qvctl(module, ["ticket", "plan", path])
        else:
            arguments = ["ticket", "apply"] + (["--changed-only"] if module.params["changed_only"] else [])
            status, report, err = run_qvctl(module, arguments + [path])

    rows = report.get("printers")
    if rows is None and "items" in report:
        # One printer: qvctl gives that printer's plan itself rather than a fleet's report.
        rows = [dict(server=report.get("server"), printer=report.get("printer"),
                     result="ok" if status == 0 else "failed", documents=0, messages=[], output=report)]
    printers = []
    changed = False
    for row in rows or []:
        entry = {key: row.get(key) for key in ("server", "printer", "result", "documents", "messages")}
        if module.check_mode:
            output = row.get("output")
            plan = output if isinstance(output, dict) else {}
            if module.params["changed_only"]:
                entry["sends"] = plan.get("sends", "")
            else:
                # Without changed_only every item is sent, whatever the printer holds.
                entry["sends"] = "".join(item.get("bytes", "") for item in plan.get("items", []))
            changed = changed or bool(entry["sends"])
        printers.append(entry)
    if not module.check_mode:
        changed = report.get("summary", {}).get("documents", 0) > 0
    result = dict(changed=changed, printers=printers, summary=report.get("summary", {}))
    if status != 0:
        failed = [p for p in printers if p["result"] in ("failed", "refused")]
        names = ", ".join("%s on %s" % (p["printer"] or "-", p["server"] or "-") for p in failed)
        module.fail_json(msg="qvctl exit status %d: %s" % (status, names or err.strip()), rc=status, **result)
    module.exit_json(**result)


if __name__ == "__main__":
    main()
