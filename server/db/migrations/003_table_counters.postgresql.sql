-- The one counter still moves first: every writing transaction takes its
-- row lock before any table's, so two writers never wait on each other's
-- table counters in opposite orders.
CREATE OR REPLACE FUNCTION CONTA_ALTERACAO() RETURNS trigger LANGUAGE plpgsql AS $$
    DECLARE
        contada TEXT := 'ate.alteracao_' || lower(TG_TABLE_NAME);
    BEGIN
        IF current_setting('ate.alteracao_contada', true) IS DISTINCT FROM '1' THEN
            EXECUTE format('UPDATE %I.contador_alteracao
                            SET nralteracao = nralteracao + 1', TG_TABLE_SCHEMA);
            PERFORM set_config('ate.alteracao_contada', '1', true);
        END IF;
        IF current_setting(contada, true) IS DISTINCT FROM '1' THEN
            EXECUTE format('UPDATE %I.contador_tabela
                            SET nralteracao = nralteracao + 1
                            WHERE nmtabela = %L', TG_TABLE_SCHEMA, upper(TG_TABLE_NAME));
            PERFORM set_config(contada, '1', true);
        END IF;
        RETURN NULL;
    END $$;

-- Servers reading the database meanwhile look for the per-table counters
-- when the one counter moves.
UPDATE CONTADOR_ALTERACAO SET NRALTERACAO = NRALTERACAO + 1;
