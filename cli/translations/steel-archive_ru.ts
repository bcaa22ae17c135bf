<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU" sourcelanguage="en">
<context>
    <name>report</name>
    <message>
        <source>Technology</source>
        <translation>Технология</translation>
    </message>
    <message>
        <source>Measurements</source>
        <translation>Измерений</translation>
    </message>
    <message>
        <source>Share «ЕСТЬ ПЛ.»</source>
        <translation>Доля «ЕСТЬ ПЛ.»</translation>
    </message>
    <message>
        <source>T min, °C</source>
        <translation>T мин, °C</translation>
    </message>
    <message>
        <source>T median, °C</source>
        <translation>T медиана, °C</translation>
    </message>
    <message>
        <source>T max, °C</source>
        <translation>T макс, °C</translation>
    </message>
    <message>
        <source>EMF min, mV</source>
        <translation>ЭДС мин, мВ</translation>
    </message>
    <message>
        <source>EMF median, mV</source>
        <translation>ЭДС медиана, мВ</translation>
    </message>
    <message>
        <source>EMF max, mV</source>
        <translation>ЭДС макс, мВ</translation>
    </message>
    <message>
        <source>no status</source>
        <translation>без статуса</translation>
    </message>
    <message>
        <source>another status or none</source>
        <translation>другой статус или без статуса</translation>
    </message>
    <message>
        <source>No measurement holds a temperature.</source>
        <translation>Ни одно измерение не содержит температуры.</translation>
    </message>
    <message>
        <source>TEMPERATURE, °C</source>
        <translation>ТЕМПЕРАТУРА, °C</translation>
    </message>
    <message>
        <source>Total</source>
        <translation>Всего</translation>
    </message>
    <message>
        <source>Archive: </source>
        <translation>Архив: </translation>
    </message>
    <message>
        <source>Period: </source>
        <translation>Период: </translation>
    </message>
    <message>
        <source>Selection: </source>
        <translation>Отбор: </translation>
    </message>
    <message>
        <source>every measurement</source>
        <translation>все измерения</translation>
    </message>
    <message>
        <source>Measurements: %1      Made: %2</source>
        <translation>Измерений: %1      Составлен: %2</translation>
    </message>
    <message>
        <source>No measurement meets the conditions of the selection.</source>
        <translation>Нет измерений, отвечающих условиям отбора.</translation>
    </message>
    <message>
        <source>Results by technology</source>
        <translation>Результаты по технологиям</translation>
    </message>
    <message>
        <source>Statuses by technology</source>
        <translation>Статусы по технологиям</translation>
    </message>
    <message>
        <source>Temperature by time of measurement</source>
        <translation>Температура по времени измерения</translation>
    </message>
    <message>
        <source>Page %1 of %2</source>
        <translation>Страница %1 из %2</translation>
    </message>
    <message>
        <source>The file cannot be read: </source>
        <translation>Файл не читается: </translation>
    </message>
    <message>
        <source>MELT No.</source>
        <translation>ПЛАВКА №</translation>
    </message>
    <message>
        <source>TEMPERATURE</source>
        <translation>ТЕМПЕРАТУРА</translation>
    </message>
    <message>
        <source>OXIDATION</source>
        <translation>ОКИСЛЕННОСТЬ</translation>
    </message>
    <message>
        <source>EMF</source>
        <translation>ЭДС</translation>
    </message>
    <message>
        <source>ALUMINIUM MASS</source>
        <translation>МАССА АЛЮМИНИЯ</translation>
    </message>
    <message>
        <source>CARBON</source>
        <translation>УГЛЕРОД</translation>
    </message>
    <message>
        <source>STATUS</source>
        <translation>СТАТУС</translation>
    </message>
    <message>
        <source>°C</source>
        <translation>°С</translation>
    </message>
    <message>
        <source>mV</source>
        <translation>мВ</translation>
    </message>
    <message>
        <source>kg</source>
        <translation>кг</translation>
    </message>
    <message>
        <source>Measurement report</source>
        <translation>Отчёт по измерениям</translation>
    </message>
    <message>
        <source>melt contains</source>
        <translation>плавка содержит</translation>
    </message>
    <message>
        <source>technology</source>
        <translation>технология</translation>
    </message>
    <message>
        <source>from</source>
        <translation>с</translation>
    </message>
    <message>
        <source>before</source>
        <translation>до</translation>
    </message>
    <message>
        <source>status</source>
        <translation>статус</translation>
    </message>
    <message>
        <source>temperature, °C</source>
        <translation>температура, °C</translation>
    </message>
    <message>
        <source>EMF, mV</source>
        <translation>ЭДС, мВ</translation>
    </message>
    <message>
        <source>the whole archive</source>
        <translation>весь архив</translation>
    </message>
</context>
</TS>
