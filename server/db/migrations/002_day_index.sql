-- The day's flight plans straight from one index, in the screen's order
-- and with every column the reply needs; the codes the plans name resolve
-- from indexes that hold the abbreviation too.
CREATE INDEX IX_COMPANHIA_SIGLA ON COMPANHIA (CDCIA, SGCIA);

CREATE INDEX IX_BASE_SIGLA ON BASE (CDBASE, SGBASE);
