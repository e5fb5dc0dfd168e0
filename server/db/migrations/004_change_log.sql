-- What each committed write changed, row by row for the flight-plan tables
-- and table by table for the others, so that a server can tell the screens
-- it serves which days and flights to read again. Each write moves
-- CONTADOR_ALTERACAO, the database's generation, and logs its rows under
-- the new value; a generation with no key row logs a row with no table
-- name, so the generations a reader sees are consecutive and a gap means
-- rows already pruned. Only the latest generations are kept.
CREATE TABLE REGISTRO_ALTERACAO (
    NRGERACAO BIGINT NOT NULL,
    NMTABELA VARCHAR(30) NOT NULL,
    CDFILIAL VARCHAR(4),
    DTHRPLAVOOPV TIMESTAMP(3),
    CDCIA VARCHAR(4),
    NRVOO VARCHAR(5),
    CDTRECHO VARCHAR(4));

CREATE INDEX IX_REGISTRO_ALTERACAO ON REGISTRO_ALTERACAO (NRGERACAO);
