-- The generation: the one counter, moved once per writing transaction
-- under its row lock, which the transaction holds until it ends. A second
-- writer waits for it and takes the next value, so generations commit in
-- order and a reader that has seen one has seen every earlier one. The
-- transaction's value is kept in a setting named after the schema; the
-- servers listening on channel ate_alteracao learn of it at commit. The
-- last 10,000 generations are kept.
CREATE FUNCTION GERACAO_ALTERACAO(esquema TEXT) RETURNS BIGINT LANGUAGE plpgsql AS $$
    DECLARE
        marca TEXT := 'ate.geracao_' || lower(esquema);
        geracao BIGINT := NULLIF(current_setting(marca, true), '')::BIGINT;
    BEGIN
        IF geracao IS NULL THEN
            EXECUTE format('UPDATE %I.contador_alteracao SET nralteracao = nralteracao + 1
                            RETURNING nralteracao', esquema) INTO geracao;
            -- A database whose counter row was removed still takes writes;
            -- its readers see the gap and read everything again.
            IF geracao IS NULL THEN
                RETURN NULL;
            END IF;
            PERFORM set_config(marca, geracao::TEXT, true);
            EXECUTE format('INSERT INTO %I.registro_alteracao (nrgeracao, nmtabela)
                            VALUES ($1, '''')', esquema) USING geracao;
            EXECUTE format('DELETE FROM %I.registro_alteracao WHERE nrgeracao <= $1', esquema)
                USING geracao - 10000;
            PERFORM pg_notify('ate_alteracao', esquema);
        END IF;
        RETURN geracao;
    END $$;

-- The per-table counters as before; a table other than the flight-plan
-- ones, or one emptied by TRUNCATE, is logged whole.
CREATE OR REPLACE FUNCTION CONTA_ALTERACAO() RETURNS trigger LANGUAGE plpgsql AS $$
    DECLARE
        contada TEXT := 'ate.alteracao_' || lower(TG_TABLE_NAME);
        geracao BIGINT;
    BEGIN
        EXECUTE format('SELECT %I.geracao_alteracao($1)', TG_TABLE_SCHEMA)
            INTO geracao USING TG_TABLE_SCHEMA;
        IF geracao IS NOT NULL AND (TG_OP = 'TRUNCATE'
                OR upper(TG_TABLE_NAME) NOT IN ('PLANOVOO', 'PREVISAOPAX', 'SERVPLANO')) THEN
            EXECUTE format('INSERT INTO %I.registro_alteracao (nrgeracao, nmtabela)
                            VALUES ($1, $2)', TG_TABLE_SCHEMA) USING geracao, upper(TG_TABLE_NAME);
        END IF;
        IF current_setting(contada, true) IS DISTINCT FROM '1' THEN
            EXECUTE format('UPDATE %I.contador_tabela
                            SET nralteracao = nralteracao + 1
                            WHERE nmtabela = %L', TG_TABLE_SCHEMA, upper(TG_TABLE_NAME));
            PERFORM set_config(contada, '1', true);
        END IF;
        RETURN NULL;
    END $$;

-- The flights a statement wrote, each once, from its transition tables:
-- those it inserted, updated (before and after) or deleted.
CREATE FUNCTION REGISTRA_CHAVES() RETURNS trigger LANGUAGE plpgsql AS $$
    DECLARE
        geracao BIGINT;
        linhas TEXT;
    BEGIN
        EXECUTE format('SELECT %I.geracao_alteracao($1)', TG_TABLE_SCHEMA)
            INTO geracao USING TG_TABLE_SCHEMA;
        IF geracao IS NULL THEN
            RETURN NULL;
        END IF;
        linhas := CASE TG_OP
            WHEN 'INSERT' THEN 'SELECT cdfilial, dthrplavoopv, cdcia, nrvoo, cdtrecho FROM novas'
            WHEN 'DELETE' THEN 'SELECT cdfilial, dthrplavoopv, cdcia, nrvoo, cdtrecho FROM antigas'
            ELSE 'SELECT cdfilial, dthrplavoopv, cdcia, nrvoo, cdtrecho FROM novas
                  UNION SELECT cdfilial, dthrplavoopv, cdcia, nrvoo, cdtrecho FROM antigas' END;
        EXECUTE format('INSERT INTO %I.registro_alteracao
                            (nrgeracao, nmtabela, cdfilial, dthrplavoopv, cdcia, nrvoo, cdtrecho)
                        SELECT DISTINCT $1, $2, cdfilial, dthrplavoopv, cdcia, nrvoo, cdtrecho
                        FROM (%s) AS escritas', TG_TABLE_SCHEMA, linhas)
            USING geracao, upper(TG_TABLE_NAME);
        RETURN NULL;
    END $$;

CREATE TRIGGER REGISTRA_PLANOVOO_INSERT AFTER INSERT ON PLANOVOO
    REFERENCING NEW TABLE AS novas FOR EACH STATEMENT EXECUTE FUNCTION REGISTRA_CHAVES();

CREATE TRIGGER REGISTRA_PLANOVOO_UPDATE AFTER UPDATE ON PLANOVOO
    REFERENCING OLD TABLE AS antigas NEW TABLE AS novas
    FOR EACH STATEMENT EXECUTE FUNCTION REGISTRA_CHAVES();

CREATE TRIGGER REGISTRA_PLANOVOO_DELETE AFTER DELETE ON PLANOVOO
    REFERENCING OLD TABLE AS antigas FOR EACH STATEMENT EXECUTE FUNCTION REGISTRA_CHAVES();

CREATE TRIGGER REGISTRA_PREVISAOPAX_INSERT AFTER INSERT ON PREVISAOPAX
    REFERENCING NEW TABLE AS novas FOR EACH STATEMENT EXECUTE FUNCTION REGISTRA_CHAVES();

CREATE TRIGGER REGISTRA_PREVISAOPAX_UPDATE AFTER UPDATE ON PREVISAOPAX
    REFERENCING OLD TABLE AS antigas NEW TABLE AS novas
    FOR EACH STATEMENT EXECUTE FUNCTION REGISTRA_CHAVES();

CREATE TRIGGER REGISTRA_PREVISAOPAX_DELETE AFTER DELETE ON PREVISAOPAX
    REFERENCING OLD TABLE AS antigas FOR EACH STATEMENT EXECUTE FUNCTION REGISTRA_CHAVES();

CREATE TRIGGER REGISTRA_SERVPLANO_INSERT AFTER INSERT ON SERVPLANO
    REFERENCING NEW TABLE AS novas FOR EACH STATEMENT EXECUTE FUNCTION REGISTRA_CHAVES();

CREATE TRIGGER REGISTRA_SERVPLANO_UPDATE AFTER UPDATE ON SERVPLANO
    REFERENCING OLD TABLE AS antigas NEW TABLE AS novas
    FOR EACH STATEMENT EXECUTE FUNCTION REGISTRA_CHAVES();

CREATE TRIGGER REGISTRA_SERVPLANO_DELETE AFTER DELETE ON SERVPLANO
    REFERENCING OLD TABLE AS antigas FOR EACH STATEMENT EXECUTE FUNCTION REGISTRA_CHAVES();
