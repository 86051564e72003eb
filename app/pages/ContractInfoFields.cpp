#include "ContractInfoFields.h"

namespace {

using K = FieldControl;

}  // namespace

const std::vector<ContractField>& contractFields() {
    // The save statement names the columns in this order, so it is the table's order too;
    // "存放地点" sits above "备注" on the page but its column came last.
    static const std::vector<ContractField> fields = {
        {"showcode", "Edit1", "合同编号", K::Text, 1, 2},
        {"conname", "Edit2", "合同名称", K::Text, 1, 2},
        {"jiafang", "Edit3", "甲方", K::Text, 2, 2},
        {"yifang", "Edit4", "乙方", K::Text, 2, 2},
        {"bingfang", "Edit5", "丙方", K::Text, 3, 2},
        {"dwmc", "ComboBox1", "单位名称", K::Choice, 4, 2},
        {"zhongyao", "CheckBox1", "重要", K::Flag, 4, 1},
        {"ssnd", "Edit6", "所属年度", K::Text, 4, 1},
        {"partcode", "Edit7", "部门编号", K::Text, 5, 1},
        {"partname", "ComboBox2", "所属部门", K::Choice, 5, 1},
        {"gclb", "ComboBox3", "工程类别", K::Choice, 5, 1},
        {"manager", "Edit9", "项目经理", K::Text, 5, 1},
        {"kgrq", "DateTimePicker1", "开工日期", K::Date, 6, 1},
        {"jgrq", "DateTimePicker2", "竣工日期", K::Date, 6, 1},
        {"cprq", "DateTimePicker3", "呈批日期", K::Date, 6, 1},
        {"gongqi", "Edit8", "工期", K::Text, 6, 1},
        {"zlyq", "Edit10", "质量要求", K::Text, 7, 2},
        {"cbfw", "Edit11", "承包范围", K::Text, 7, 2},
        {"qdrq", "DateTimePicker4", "日期", K::Date, 8, 1},
        {"spr", "Edit12", "审批人", K::Text, 8, 1},
        {"jgjgg", "Edit13", "结构及规格说明", K::Text, 8, 2},
        {"gsje", "Edit14", "概算金额", K::Amount, 9, 1, "概算金额数据输入错误，请重新输入"},
        {"cgsje", "Edit15", "超概算金额", K::Amount, 9, 1, "超概算金额数据输入错误，请重新输入"},
        {"jgsje", "Edit16", "节概算金额", K::Amount, 9, 1, "节概算金额数据输入错误，请重新输入"},
        {"htlb", "ComboBox4", "合同类别", K::Choice, 10, 1},
        {"htxm", "ComboBox5", "合同项目", K::Choice, 10, 1},
        {"htjk", "Edit17", "合同价款", K::Amount, 10, 1, "合同价款数据错误，请重新输入"},
        {"qzbg", "Edit18", "签证变量", K::Amount, 10, 1, "签证变量数据错误，请重新输入"},
        // The message reads 工作总造价 where the caption reads 工程总造价: both texts are fixed.
        {"gczzj", "Edit19", "工程总造价", K::Amount, 11, 1, "工作总造价数据错误，请重新输入"},
        {"dfk", "Edit20", "代付款", K::Amount, 11, 1, "代付款数据错误，请重新输入"},
        {"yfjk", "Edit21", "已付价款", K::Amount, 11, 1, "已付价款数据错误，请重新输入"},
        {"syjk", "Edit22", "剩余价款", K::Amount, 11, 1, "剩余价款数据错误，请重新输入"},
        {"fpse", "Edit23", "发票数额", K::Amount, 12, 1, "发票数额数据错误，请重新输入"},
        {"sbdh", "Edit24", "申报单号", K::Text, 12, 1},
        {"htjsm", "Edit25", "合同价说明", K::Text, 12, 2},
        {"yfkje", "Edit26", "预付款金额", K::Amount, 13, 1, "预付款金额数据错误，请重新输入"},
        {"yfkrq", "DateTimePicker5", "预付款日期", K::Date, 13, 1},
        {"jsje", "Edit28", "结算金额", K::Amount, 13, 1, "结算金额数据错误，请重新输入"},
        {"jsrq", "DateTimePicker7", "结算日期", K::Date, 13, 1},
        {"gdbh", "Edit27", "归档编号", K::Text, 14, 1},
        {"gdrq", "DateTimePicker6", "归档日期", K::Date, 14, 1},
        {"gd", "CheckBox2", "归档", K::Flag, 14, 1},
        {"cbdd", "Memo1", "备注", K::Memo, 16, 4},
        {"cfdd", "Edit29", "存放地点", K::Text, 15, 2, nullptr, true},
    };
    return fields;
}

const std::vector<int>& bandEndLines() {
    static const std::vector<int> lines = {4, 8, 9, 12};
    return lines;
}
