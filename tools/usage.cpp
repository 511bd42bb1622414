// The help texts of ravelda-db.
#include "tools/commands.h"

namespace ravelda::tools {

namespace {

const char* kOverview = R"(Usage: ravelda-db COMMAND [ARGUMENTS]

Administration of Paradox tables (.DB with .PX, .MB and .VAL) and of database aliases.

Commands:
  alias list                  list the database aliases
  alias add NAME FOLDER       define (or redefine) an alias for a folder
  alias remove NAME           remove an alias
  info TABLE                  version, key, fields, record count, code page, pictures
  dump TABLE                  every row as CSV on standard output
  create TABLE --fields ...   create an empty table
  import TABLE FILE.csv       insert the rows of a CSV file
  check TABLE                 verify the table's files
  query DATABASE 'SQL'        run an SQL query over a database's tables, rows as CSV
  query DATABASE --qbe FILE   run a QBE query
  year-update DATABASE        add the counter rows of the year that are missing

TABLE is :ALIAS:Name.DB (a table in the folder of an alias) or a file path.
Aliases are kept in $RAVELDA_ALIAS_FILE when set, else ~/.config/ravelda/aliases.conf,
else /etc/ravelda/aliases.conf.

Exit status: 0 success, 1 refused operation or failed check, 2 bad usage.
Run 'ravelda-db help COMMAND' or 'ravelda-db COMMAND --help' for the details of a command.
)";

const char* kAlias = R"(Usage: ravelda-db alias list
       ravelda-db alias add NAME FOLDER
       ravelda-db alias remove NAME

A database alias names the folder that holds a database's tables; tables are then given as
:NAME:Table.DB. Names are letters, digits, '_', '-' and '.', compared without regard to case.

  list     prints one alias per line: NAME, a tab, FOLDER
  add      defines NAME (replacing an earlier definition); FOLDER is stored as an absolute path
  remove   removes NAME; exit status 1 when it is not defined

The aliases are read from the first file that exists of $RAVELDA_ALIAS_FILE (when set, the only
one), ~/.config/ravelda/aliases.conf and /etc/ravelda/aliases.conf; changes are written to the
first of them. The file holds NAME=FOLDER lines and '#' comment lines.
)";

const char* kInfo = R"(Usage: ravelda-db info TABLE [--code-page N]

Prints the table's version, whether it is keyed and on which fields, every field with its type
and size, the record count, code page, sort order, block size, whether the engine may write it,
and the pictures stored in its .VAL file.

  --code-page N   read texts (field names) in code page N instead of the one the table names
)";

const char* kDump = R"(Usage: ravelda-db dump TABLE [--no-blobs] [--code-page N]

Writes every row, in key order for keyed tables and physical order otherwise, as CSV (RFC 4180,
UTF-8, CRLF line ends) on standard output, after a header row of the field names.

Values: NULL is an empty field; dates YYYY-MM-DD; times HH:MM:SS, with .mmm when not whole;
timestamps YYYY-MM-DDTHH:MM:SS[.mmm]; logical true/false; numbers in the shortest form that reads
back exactly, with '.' as decimal separator; BCD as stored; bytes and blobs in hex.

  --no-blobs      show blobs (memo, binary, formatted memo, OLE, graphic) as <n bytes>
  --code-page N   read texts in code page N instead of the one the table names
)";

const char* kCreate = R"(Usage: ravelda-db create TABLE --fields SPEC [--key N] [--version V]
                          [--code-page N] [--block-size KIB] [--sort-order NAME]
                          [--picture FIELD=PICTURE ...] [--overwrite]

Creates an empty table (.DB, with .PX when keyed and .VAL when pictures are given).

  --fields SPEC        comma-separated NAME:TYPE list, e.g. 'Tabella:A30,Anno:A4,Registro:S,Chiave:I'
                       types: A<n> alpha (n = 1..255)   S short      I long      + autoincrement
                              N number   $ money       D date       T time      @ timestamp
                              L logical  #<d> BCD with d decimals (0..32)      Y<n> bytes (1..255)
                              M, B, F, O, G: memo, binary, formatted memo, OLE, graphic blobs;
                              an optional size is the bytes kept in the record (10 + leader,
                              default 10)
  --key N              the first N fields form the primary key (default 0: unkeyed)
  --version V          3.5, 4, 5 or 7 (default 7)
  --code-page N        code page of the texts (default 1252)
  --block-size KIB     data block size in KiB: 1, 2, 4, 8, 16 or 32 (default 2)
  --sort-order NAME    key order of alpha fields: ascii (byte order, the default) or an
                       international order: intl, ANSIINTL, ANSII850, DBWINUS0
  --picture F=P        picture P for field F (repeatable), stored in the .VAL file
  --overwrite          replace an existing table of that name
)";

const char* kImport = R"(Usage: ravelda-db import TABLE FILE.csv [--code-page N] [--all-or-nothing]

Inserts the rows of a CSV file written in the conventions of 'dump' (use - for standard input).
The first row names the fields, in any order; fields it does not name are left NULL (an
autoincrement field left NULL gets the next number). Rows are stored in file order, in batches of
up to 65536 rows that are each one write. The import stops at the first row that is refused,
naming its line and the reason; the rows before it stay stored. Exit status 1 when a row was
refused or the table could not be written.

  --code-page N      write texts in code page N instead of the one the table names
  --all-or-nothing   store the whole file as one write: a refused row stores no row at all
                     (the rows are held in memory until the end of the file)
)";

const char* kCheck = R"(Usage: ravelda-db check TABLE

Verifies the table's files: headers, the data block chain and the free list, record counts, key
order, the primary index (.PX) against the data, blob references (.MB) and the .VAL file.
Prints the problems found, one per line; exit status 0 when the table is sound, 1 otherwise.
)";

} // namespace

const char* kQuery = R"(Usage: ravelda-db query DATABASE 'SQL' [--code-page N] [--no-blobs]
       ravelda-db query DATABASE --qbe FILE [--blanks-as-zero] [--ignore-case] [--translate]

Runs one query over the tables of a database and writes the result as CSV (as dump does: a
header row of the column names, then the rows). DATABASE is an alias, or a folder when it
holds a '/' (e.g. ./data). Every .DB table of the folder is named by its file name without the
extension (Keys) or by its whole file name in double quotes ("Keys.DB"), in any case. Only
statements that read run; tables are never changed.

In SQL, dates are 'YYYY-MM-DD', times 'HH:MM:SS[.mmm]', timestamps 'YYYY-MM-DD HH:MM:SS[.mmm]';
logical fields are 1 and 0; blank fields are NULL.

  --qbe FILE        run the QBE query in FILE ('-' for standard input); see docs/queries.md
  --blanks-as-zero  QBE: a blank field compares as 0 with numbers
  --ignore-case     QBE: texts in conditions compare without regard to case
  --translate       QBE: print the SQL the query stands for instead of running it
  --code-page N     the result's code page (default: that of the first table read)
  --no-blobs        show blobs as <n bytes>
)";

const char* kYearUpdate = R"(Usage: ravelda-db year-update DATABASE [--year YYYY] [--dry-run]

The RAVELDA button of the main window, for schedulers and administrators: makes sure that the
counter rows of the year exist in Keys.DB of the alias DATABASE, for BOLLE.DB 0, FATTURE.DB 0,
FATTURE.DB 1, ORDINIF.DB 0, PREVENTIVI.DB 0 and PREVENTIVIF.DB 0 (exact names). A missing row
is added with Chiave 0 and Anno the four digits of the year; the table's stored pictures are
checked on each row. Existing rows are never changed.

Prints one line per row added ("added BOLLE.DB 2031 0"), then "Aggiornamento Effettuato", or
"nothing missing: ..." when every row was there. Exit status 0 when the rows exist afterwards,
1 when a row was refused (the rows added before it stay) or the table cannot be opened.

  --year YYYY   the year to prepare, 1000 to 9999 (default: the current year)
  --dry-run     only print the rows that would be added ("would add ..."); writes nothing
)";

std::string usageText(const std::string& command) {
    if (command == "query") return kQuery;
    if (command == "year-update") return kYearUpdate;
    if (command == "alias") return kAlias;
    if (command == "info") return kInfo;
    if (command == "dump") return kDump;
    if (command == "create") return kCreate;
    if (command == "import") return kImport;
    if (command == "check") return kCheck;
    return kOverview;
}

} // namespace ravelda::tools
