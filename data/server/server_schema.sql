-- The eight tables of a contract file on a PostgreSQL server, made in an empty database
-- by createServerSchema() in one transaction. Same tables, columns and order as
-- schema.sql, so every statement of the program runs unchanged on either.
--
-- Keys are bigint primary keys given by the program. Amounts are double precision;
-- texts, dates (yyyy-MM-dd) and flags ('true'/'false') are text. Names and regions of
-- units sort in pinyin order through ICU; concode sorts bytewise ("C"), which keeps the
-- tree's order and lets "concode like '0001%'" use its index.
--
-- Stored files live in blobchunk, one row per piece of up to 1 MiB. The file's own column
-- in its table holds the file's size in bytes, or null when the row has no file; deleting
-- the row, or setting that column to null, drops its pieces (trigger drop_stored_files).
-- rowver counts the saves of a row a clerk edits, for refusing a save over a newer one.

create collation if not exists zh_pinyin (provider = icu, locale = 'zh');

create table htmain (
    conid     bigint primary key,
    concode   text collate "C",
    showcode  text,
    conname   text,
    jiafang   text,
    yifang    text,
    bingfang  text,
    dwmc      text collate zh_pinyin,
    zhongyao  text,
    ssnd      text,
    partcode  text,
    partname  text,
    gclb      text,
    manager   text,
    kgrq      text,
    jgrq      text,
    cprq      text,
    gongqi    text,
    zlyq      text,
    cbfw      text,
    qdrq      text,
    spr       text,
    jgjgg     text,
    gsje      double precision,
    cgsje     double precision,
    jgsje     double precision,
    htlb      text,
    htxm      text,
    htjk      double precision,
    qzbg      double precision,
    gczzj     double precision,
    dfk       double precision,
    yfjk      double precision,
    syjk      double precision,
    fpse      double precision,
    sbdh      text,
    htjsm     text,
    yfkje     double precision,
    yfkrq     text,
    jsje      double precision,
    jsrq      text,
    gdbh      text,
    gdrq      text,
    gd        text,
    cbdd      text,
    cfdd      text,
    rowver    bigint not null default 0
);
-- Empty codes first, as the program's "order by concode" asks for them, so the tree's scan
-- reads this index instead of sorting.
create index htmain_concode on htmain (concode nulls first);

create table httext (
    id        bigint primary key,
    conid     bigint,
    textname  text,
    docfile   bigint,
    rtffile   bigint,
    rowver    bigint not null default 0
);
create index httext_conid on httext (conid);

create table htfk (
    fkid      bigint primary key,
    conid     bigint,
    fkname    text,
    fkje      double precision,
    fpje      double precision,
    fkrq      text,
    sbdh      text,
    fph       text,
    other     text,
    rowver    bigint not null default 0
);
create index htfk_conid on htfk (conid);

create table htsp (
    spid      bigint primary key,
    conid     bigint,
    spname    text,
    spje      double precision,
    fpje      double precision,
    fkrq      text,
    sbdh      text,
    fph       text,
    other     text,
    rowver    bigint not null default 0
);
create index htsp_conid on htsp (conid);

create table htyj (
    htyjid      bigint primary key,
    conid       bigint,
    htyjname    text,
    htyjsm      text,
    picfilename text,
    htyjpic     bigint,
    rowver      bigint not null default 0
);
create index htyj_conid on htyj (conid);

create table htqtyj (
    qtyjid      bigint primary key,
    conid       bigint,
    qtyjname    text,
    qtyjsm      text,
    picfilename text,
    qtyjpic     bigint,
    rowver      bigint not null default 0
);
create index htqtyj_conid on htqtyj (conid);

create table infoset (
    id        bigint primary key,
    infosty   text,
    infotext  text,
    rowver    bigint not null default 0
);

create table ghdwinfo (
    id        bigint primary key,
    dwmc      text collate zh_pinyin,
    dwdz      text,
    dwxz      text,
    lxr       text,
    dh        text,
    cz        text,
    yb        text,
    jsyh      text,
    zh        text,
    zzsh      text,
    sdq       text collate zh_pinyin,
    rowver    bigint not null default 0
);

create table blobchunk (
    owner_table  text not null,
    owner_id     bigint not null,
    owner_column text not null,
    seq          integer not null,
    data         bytea not null,
    primary key (owner_table, owner_id, owner_column, seq)
);
-- Pieces are already compressed pictures and documents: keep them out of line, uncompressed.
alter table blobchunk alter column data set storage external;

-- Arguments: the table's key column, then its stored-file columns.
create function drop_stored_files() returns trigger language plpgsql as $$
declare
    file_column text;
begin
    if tg_op = 'DELETE' then
        delete from blobchunk
         where owner_table = tg_table_name and owner_id = (to_jsonb(old) ->> tg_argv[0])::bigint;
        return old;
    end if;
    foreach file_column in array tg_argv[1:] loop
        if (to_jsonb(new) ->> file_column) is null then
            delete from blobchunk
             where owner_table = tg_table_name and owner_id = (to_jsonb(new) ->> tg_argv[0])::bigint
               and owner_column = file_column;
        end if;
    end loop;
    return new;
end
$$;

create trigger httext_files after delete or update of docfile, rtffile on httext
    for each row execute function drop_stored_files('id', 'docfile', 'rtffile');
create trigger htyj_files after delete or update of htyjpic on htyj
    for each row execute function drop_stored_files('htyjid', 'htyjpic');
create trigger htqtyj_files after delete or update of qtyjpic on htqtyj
    for each row execute function drop_stored_files('qtyjid', 'qtyjpic');

-- What the file's engine answers for a stored-file column: whether the row has a file and
-- how many bytes, without reading it. (The only other bigint columns are keys and rowver.)
create function typeof(bigint) returns text language sql immutable as $$
    select case when $1 is null then 'null' else 'blob' end
$$;
create function length(bigint) returns bigint language sql immutable as $$
    select $1
$$;

-- Every save of a row a clerk edits counts up its version. A page saves "where <key>=<id>
-- and rowver=<the version it showed>", so a save over a row another clerk saved since is
-- refused instead of silently undoing that clerk's work.
create function count_save() returns trigger language plpgsql as $$
begin
    new.rowver := old.rowver + 1;
    return new;
end
$$;

create trigger htmain_saves before update on htmain for each row execute function count_save();
create trigger httext_saves before update on httext for each row execute function count_save();
create trigger htfk_saves before update on htfk for each row execute function count_save();
create trigger htsp_saves before update on htsp for each row execute function count_save();
create trigger htyj_saves before update on htyj for each row execute function count_save();
create trigger htqtyj_saves before update on htqtyj for each row execute function count_save();
create trigger infoset_saves before update on infoset for each row execute function count_save();
create trigger ghdwinfo_saves before update on ghdwinfo for each row execute function count_save();

-- Every clerk's tree hears when contracts come, go, move or are renamed. The notice leaves
-- at commit, never after a rollback, and one statement or transaction sends one, however
-- many rows it changed.
create function tell_tree_changed() returns trigger language plpgsql as $$
begin
    perform pg_notify('tree_changed', '');
    return null;
end
$$;

create trigger htmain_tree after insert or delete or update of concode, conname on htmain
    for each statement execute function tell_tree_changed();
