#!/usr/bin/python3
# Applies an LDIF of additions and modifications to the database of a
# domain controller that is not running, in one transaction. Thousands of
# objects load in seconds this way; over LDAP each one waits for its own
# commit.
import sys

import ldb
from samba.auth import system_session
from samba.param import LoadParm
from samba.samdb import SamDB

if len(sys.argv) != 3:
    sys.exit("usage: samba_load.py SMB.CONF LDIF")
lp = LoadParm()
lp.load(sys.argv[1])
db = SamDB(url=lp.samdb_url(), session_info=system_session(), lp=lp)
with open(sys.argv[2], encoding="utf-8") as f:
    text = f.read()
db.transaction_start()
try:
    for changetype, msg in db.parse_ldif(text):
        if changetype == ldb.CHANGETYPE_MODIFY:
            db.modify(msg)
        else:
            db.add(msg)
except Exception:
    db.transaction_cancel()
    raise
db.transaction_commit()
