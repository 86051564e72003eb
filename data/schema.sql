-- The contract file: eight tables. Built into the template temp.mdb at build time;
-- every new contract file is a byte copy of that template.
--
-- Keys are INTEGER PRIMARY KEY, so a scan without "order by" returns rows in the order
-- of their keys, which is the order in which the program adds them.
-- Amounts are REAL; texts, dates (yyyy-MM-dd) and flags ('true'/'false') are TEXT.

-- Contracts and sub-contracts. The place in the hierarchy is concode: one 4-digit
-- segment per level, the parent's code followed by the contract's own segment.
CREATE TABLE htmain (
    conid     INTEGER PRIMARY KEY,
    concode   TEXT,
    showcode  TEXT,  -- 合同编号
    conname   TEXT,  -- 合同名称, also the tree label
    jiafang   TEXT,  -- 甲方
    yifang    TEXT,  -- 乙方
    bingfang  TEXT,  -- 丙方
    dwmc      TEXT,  -- 单位名称
    zhongyao  TEXT,  -- 重要 (flag)
    ssnd      TEXT,  -- 所属年度
    partcode  TEXT,  -- 部门编号
    partname  TEXT,  -- 所属部门
    gclb      TEXT,  -- 工程类别
    manager   TEXT,  -- 项目经理
    kgrq      TEXT,  -- 开工日期
    jgrq      TEXT,  -- 竣工日期
    cprq      TEXT,  -- 呈批日期
    gongqi    TEXT,  -- 工期
    zlyq      TEXT,  -- 质量要求
    cbfw      TEXT,  -- 承包范围
    qdrq      TEXT,  -- 日期
    spr       TEXT,  -- 审批人
    jgjgg     TEXT,  -- 结构及规格说明
    gsje      REAL,  -- 概算金额
    cgsje     REAL,  -- 超概算金额
    jgsje     REAL,  -- 节概算金额
    htlb      TEXT,  -- 合同类别
    htxm      TEXT,  -- 合同项目
    htjk      REAL,  -- 合同价款
    qzbg      REAL,  -- 签证变量
    gczzj     REAL,  -- 工程总造价
    dfk       REAL,  -- 代付款
    yfjk      REAL,  -- 已付价款
    syjk      REAL,  -- 剩余价款
    fpse      REAL,  -- 发票数额
    sbdh      TEXT,  -- 申报单号
    htjsm     TEXT,  -- 合同价说明
    yfkje     REAL,  -- 预付款金额
    yfkrq     TEXT,  -- 预付款日期
    jsje      REAL,  -- 结算金额
    jsrq      TEXT,  -- 结算日期
    gdbh      TEXT,  -- 归档编号
    gdrq      TEXT,  -- 归档日期
    gd        TEXT,  -- 归档 (flag)
    cbdd      TEXT,  -- 备注
    cfdd      TEXT   -- 存放地点
);
CREATE INDEX htmain_concode ON htmain (concode);

-- Text documents of a contract, with the rich-text copy used for the preview.
CREATE TABLE httext (
    id        INTEGER PRIMARY KEY,
    conid     INTEGER,
    textname  TEXT,
    docfile   BLOB,
    rtffile   BLOB
);
CREATE INDEX httext_conid ON httext (conid);

-- Payment records.
CREATE TABLE htfk (
    fkid      INTEGER PRIMARY KEY,
    conid     INTEGER,
    fkname    TEXT,  -- 名称
    fkje      REAL,  -- 付款金额
    fpje      REAL,  -- 发票金额
    fkrq      TEXT,  -- 付款日期
    sbdh      TEXT,  -- 申报单号
    fph       TEXT,  -- 发票号
    other     TEXT   -- 备注
);
CREATE INDEX htfk_conid ON htfk (conid);

-- Claim records; the date column keeps the payment table's name.
CREATE TABLE htsp (
    spid      INTEGER PRIMARY KEY,
    conid     INTEGER,
    spname    TEXT,  -- 名称
    spje      REAL,  -- 索赔金额
    fpje      REAL,  -- 发票金额
    fkrq      TEXT,  -- 付款日期
    sbdh      TEXT,  -- 申报单号
    fph       TEXT,  -- 发票号
    other     TEXT   -- 备注
);
CREATE INDEX htsp_conid ON htsp (conid);

-- Scans of the signed contract.
CREATE TABLE htyj (
    htyjid      INTEGER PRIMARY KEY,
    conid       INTEGER,
    htyjname    TEXT,  -- 图片名称
    htyjsm      TEXT,  -- 说明
    picfilename TEXT,
    htyjpic     BLOB
);
CREATE INDEX htyj_conid ON htyj (conid);

-- Scans of other papers.
CREATE TABLE htqtyj (
    qtyjid      INTEGER PRIMARY KEY,
    conid       INTEGER,
    qtyjname    TEXT,  -- 图片名称
    qtyjsm      TEXT,  -- 说明
    picfilename TEXT,
    qtyjpic     BLOB
);
CREATE INDEX htqtyj_conid ON htqtyj (conid);

-- Entries of the four category lists (bmlb, htlb, gclb, htpz), in the order typed.
CREATE TABLE infoset (
    id        INTEGER PRIMARY KEY,
    infosty   TEXT,
    infotext  TEXT
);

-- Supplier units. Names and regions sort in pinyin order.
CREATE TABLE ghdwinfo (
    id        INTEGER PRIMARY KEY,
    dwmc      TEXT COLLATE zh_pinyin,  -- 单位名称
    dwdz      TEXT,  -- 单位地址
    dwxz      TEXT,  -- 单位性质
    lxr       TEXT,  -- 联系人
    dh        TEXT,  -- 电话
    cz        TEXT,  -- 传真
    yb        TEXT,  -- 邮编
    jsyh      TEXT,  -- 结算银行
    zh        TEXT,  -- 帐号
    zzsh      TEXT,  -- 增值税号
    sdq       TEXT COLLATE zh_pinyin   -- 省/地区
);
