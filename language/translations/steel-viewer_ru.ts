<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU" sourcelanguage="en">
<context>
    <name>steel-viewer</name>
    <message>
        <source>Shows the measurements of steel melts in an archive folder: the newest one at start, the
others through the lists of technology, year.month, day and time of measurement.
Ctrl+F in the window finds the measurements of a melt by its number.
A path that is neither a folder nor a measurement file is named on standard error and
marked in the window&apos;s source field.
</source>
        <translation>Показывает измерения плавок стали из папки архива: при запуске самое новое,
остальные — через списки технологии, года.месяца, дня и времени измерения.
Ctrl+F в окне находит измерения плавки по её номеру.
Путь, который не является ни папкой, ни файлом измерения, называется в потоке
ошибок и отмечается в поле «Источник» окна.
</translation>
    </message>
    <message>
        <source>  --follow    Show each new measurement by itself as soon as its file is complete,
              while the newest one is on show; an older one chosen by hand stays, and
              the lists gain the new entries; a lost folder is waited for.
  --version   Show the version.
  -h, --help  Show this help.
</source>
        <translation>  --follow    Показывать каждое новое измерение, как только его файл записан,
              пока на экране самое новое; выбранное вручную более старое
              остаётся, а списки получают новые строки; пропавшая папка
              ожидается.
  --version   Показать версию.
  -h, --help  Показать эту справку.
</translation>
    </message>
    <message>
        <source>  FOLDER      The archive folder to show; without it the folder &quot;archive&quot; in the
              working directory.
  FILE        A measurement file (steel_&lt;technology&gt;-yyyy_MM_dd-hh_mm_ss.json): its
              folder is shown with this measurement chosen in the lists.
</source>
        <translation>  FOLDER      Папка архива; без неё берётся папка «archive» в рабочем каталоге.
  FILE        Файл измерения (steel_&lt;технология&gt;-yyyy_MM_dd-hh_mm_ss.json):
              показывается его папка, а в списках выбрано это измерение.
</translation>
    </message>
    <message>
        <source>Exit codes: 0 done; 2 arguments that cannot be understood.
</source>
        <translation>Коды завершения: 0 готово; 2 аргументы не поняты.
</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>неизвестный параметр %1</translation>
    </message>
    <message>
        <source>one folder or file at most, not %1</source>
        <translation>не более одной папки или файла, а не %1</translation>
    </message>
    <message>
        <source>%1 is neither an archive folder nor a measurement file</source>
        <translation>%1 — не папка архива и не файл измерения</translation>
    </message>
    <message>
        <source>%1 does not exist</source>
        <translation>%1 не существует</translation>
    </message>
    <message>
        <source>Try &apos;steel-viewer --help&apos;.</source>
        <translation>Справка: steel-viewer --help</translation>
    </message>
</context>
</TS>
