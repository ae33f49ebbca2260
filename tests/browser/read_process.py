"""Prints a stored process as a script reads it through the Python module:
its name, its functions (caption, type, place), its links (by the captions
of their ends, with their type) and its variables (name, type, value), as
JSON. Used by the browser tests to check what the page made.

    read_process.py STORE_FILE PROCESS_ID
"""

import json
import sys

import vorlane


def main(path, process_id):
    library = vorlane.create("QXVorlane.Library")
    library.Connection = vorlane.open_store(path).open_session("alice")
    process = library.GetProcess(process_id, True)
    captions = {}
    functions = []
    for f in process.Functions:
        captions[f.ID.upper()] = f.Caption
        functions.append({"caption": f.Caption, "type": f.TypeID.upper(), "x": f.XPos, "y": f.YPos})
    links = [{"from": captions.get(l.Source.upper()), "to": captions.get(l.Destination.upper()), "type": int(l.LinkType)}
             for l in process.Links]
    variables = [{"name": v.Name, "type": int(v.VarType), "value": v.Value} for v in process.Variables]
    print(json.dumps({"name": process.Name, "functions": functions, "links": links, "variables": variables}, default=str))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
