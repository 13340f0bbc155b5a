<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>Application</name>
    <message>
        <source>Study Guide Reader</source>
        <translation>Учебное пособие</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>page %1</source>
        <translation>страница %1</translation>
    </message>
    <message>
        <source>The book file %1 cannot be read: %2. The book opens empty.</source>
        <translation>Файл книги %1 не читается: %2. Книга откроется пустой.</translation>
    </message>
    <message>
        <source>The book file %1 is damaged: %2. %3 of 140 parts were read; the rest are empty.</source>
        <translation>Файл книги %1 повреждён: %2. Прочитано частей: %3 из 140; остальные пусты.</translation>
    </message>
    <message>
        <source>The page cannot be shown: there is no private temporary folder for the page file (%1).</source>
        <translation>Страницу нельзя показать: нет личной временной папки для файла страницы (%1).</translation>
    </message>
    <message>
        <source>the folder was not looked for</source>
        <translation>папку не искали</translation>
    </message>
    <message>
        <source>The page cannot be shown: %1</source>
        <translation>Страницу нельзя показать: %1</translation>
    </message>
    <message>
        <source>This contents entry names page &quot;%1&quot;, but the book has pages 0 to %2 only.</source>
        <translation>Эта строка оглавления ссылается на страницу «%1», но в книге есть только страницы с 0 по %2.</translation>
    </message>
    <message>
        <source>The outline %1 does not exist, so the contents are now empty.</source>
        <translation>Плана %1 нет, поэтому оглавление теперь пустое.</translation>
    </message>
    <message>
        <source>The contents could not be built: %1</source>
        <translation>Оглавление не удалось построить: %1</translation>
    </message>
    <message>
        <source>The old book %1 did not read whole; it was kept as %2.</source>
        <translation>Старая книга %1 прочиталась не целиком; она сохранена как %2.</translation>
    </message>
    <message>
        <source>The page folder %1 does not exist.</source>
        <translation>Папки страниц %1 нет.</translation>
    </message>
    <message>
        <source>%1 was not packed: %2; its page keeps what it had.</source>
        <translation>%1 не упакован: %2; его страница осталась прежней.</translation>
    </message>
    <message>
        <source>%1 files beyond page %2 were not packed (first: %3).</source>
        <translation>Файлы после страницы %2 не упакованы: %1 (первый: %3).</translation>
    </message>
    <message>
        <source>The book was not saved: %1</source>
        <translation>Книга не сохранена: %1</translation>
    </message>
    <message>
        <source>Not packed: %1.</source>
        <translation>Не упаковано: %1.</translation>
    </message>
</context>
<context>
    <name>platform::Browser</name>
    <message>
        <source>The pages cannot be shown: %1</source>
        <translation>Страницы не могут быть показаны: %1</translation>
    </message>
</context>
<context>
    <name>platform::PageStoppedCover</name>
    <message>
        <source>The page stopped</source>
        <translation>Страница остановлена</translation>
    </message>
</context>
<context>
    <name>reader::BookSearchField</name>
    <message>
        <source>Search the book</source>
        <translation>Поиск по книге</translation>
    </message>
    <message>
        <source>Indexing…</source>
        <translation>Индексирование…</translation>
    </message>
    <message>
        <source>Nothing found</source>
        <translation>Ничего не найдено</translation>
    </message>
    <message>
        <source>page</source>
        <translation>стр.</translation>
    </message>
</context>
<context>
    <name>reader::FindBar</name>
    <message>
        <source>Find in the page</source>
        <translation>Найти на странице</translation>
    </message>
    <message>
        <source>Previous match (Shift+F3)</source>
        <translation>Предыдущее совпадение (Shift+F3)</translation>
    </message>
    <message>
        <source>Next match (F3)</source>
        <translation>Следующее совпадение (F3)</translation>
    </message>
    <message>
        <source>Close (Esc)</source>
        <translation>Закрыть (Esc)</translation>
    </message>
    <message>
        <source>No matches</source>
        <translation>Совпадений нет</translation>
    </message>
</context>
<context>
    <name>reader::PageMenu</name>
    <message>
        <source>Print</source>
        <translation>Печать</translation>
    </message>
    <message>
        <source>Save as PDF</source>
        <translation>Сохранить как PDF</translation>
    </message>
    <message>
        <source>PDF documents (*.pdf)</source>
        <translation>Документы PDF (*.pdf)</translation>
    </message>
    <message>
        <source>The page could not be printed.</source>
        <translation>Страницу не удалось напечатать.</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Назад</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Вперёд</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Копировать</translation>
    </message>
    <message>
        <source>Select all</source>
        <translation>Выделить всё</translation>
    </message>
    <message>
        <source>Find in the page</source>
        <translation>Найти на странице</translation>
    </message>
    <message>
        <source>Print…</source>
        <translation>Печать…</translation>
    </message>
    <message>
        <source>Save as PDF…</source>
        <translation>Сохранить как PDF…</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Увеличить</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Уменьшить</translation>
    </message>
    <message>
        <source>Actual size</source>
        <translation>Обычный размер</translation>
    </message>
    <message>
        <source>the page could not be turned into PDF</source>
        <translation>страницу не удалось превратить в PDF</translation>
    </message>
    <message>
        <source>The page was not saved as PDF to %1: %2.</source>
        <translation>Страница не сохранена в PDF в файл %1: %2.</translation>
    </message>
</context>
<context>
    <name>reader::ZoomHint</name>
    <message>
        <source>%1 %</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>Zoom: %1</source>
        <translation>Масштаб: %1</translation>
    </message>
</context>
</TS>
