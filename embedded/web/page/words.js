// The page's own words in the five languages the card speaks, by the
// session's locale (1033 English, 1049 Russian, 1058 Ukrainian, 1062
// Latvian, 1087 Kazakh). The card's own texts come from the card.
"use strict";

const WORDS = {
  folders: ["Folders", "Папки", "Папки", "Mapes", "Қалталар"],
  allProcesses: ["All processes", "Все процессы", "Усі процеси", "Visi procesi", "Барлық процестер"],
  templates: ["Templates", "Шаблоны", "Шаблони", "Veidnes", "Үлгілер"],
  instances: ["Instances", "Экземпляры", "Екземпляри", "Eksemplāri", "Даналар"],
  name: ["Name", "Имя", "Назва", "Nosaukums", "Атауы"],
  state: ["State", "Состояние", "Стан", "Stāvoklis", "Күйі"],
  newTemplate: ["New template", "Новый шаблон", "Новий шаблон", "Jauna veidne", "Жаңа үлгі"],
  newTemplateName: ["Name of a new template", "Имя нового шаблона", "Назва нового шаблону", "Jaunās veidnes nosaukums", "Жаңа үлгінің атауы"],
  printReady: ["The report is ready to print", "Отчёт готов к печати", "Звіт готовий до друку", "Atskaite ir gatava drukāšanai", "Есеп басып шығаруға дайын"],
  Print: ["Print", "Печать", "Друк", "Drukāt", "Басып шығару"],
  popupBlocked: ["The browser blocked the print view; allow pop-ups for this page.", "Браузер заблокировал окно печати; разрешите всплывающие окна для этой страницы.",
                 "Браузер заблокував вікно друку; дозвольте спливні вікна для цієї сторінки.", "Pārlūks bloķēja drukas skatu; atļaujiet uznirstošos logus šai lapai.",
                 "Браузер басып шығару терезесін бұғаттады; осы бет үшін қалқымалы терезелерге рұқсат етіңіз."],
  allEntries: ["All entries", "Все записи", "Усі записи", "Visi ieraksti", "Барлық жазбалар"],
  savePicture: ["Save the picture", "Сохранить рисунок", "Зберегти малюнок", "Saglabāt attēlu", "Суретті сақтау"],
  pngFailed: ["The picture could not be turned into PNG; save it as SVG.", "Рисунок не удалось преобразовать в PNG; сохраните его как SVG.",
              "Малюнок не вдалося перетворити на PNG; збережіть його як SVG.", "Attēlu neizdevās pārveidot PNG formātā; saglabājiet to kā SVG.",
              "Суретті PNG пішіміне түрлендіру мүмкін болмады; оны SVG ретінде сақтаңыз."],
  fit: ["Fit to window", "Вписать в окно", "Умістити у вікно", "Ietilpināt logā", "Терезеге сыйғызу"],
  close: ["Close", "Закрыть", "Закрити", "Aizvērt", "Жабу"],
  Close: ["Close", "Закрыть", "Закрити", "Aizvērt", "Жабу"],
  details: ["Details", "Подробности", "Подробиці", "Sīkāk", "Толығырақ"],
  OK: ["OK", "ОК", "ОК", "Labi", "ОК"],
  Cancel: ["Cancel", "Отмена", "Скасувати", "Atcelt", "Болдырмау"],
  Yes: ["Yes", "Да", "Так", "Jā", "Иә"],
  No: ["No", "Нет", "Ні", "Nē", "Жоқ"],
  Save: ["Save", "Сохранить", "Зберегти", "Saglabāt", "Сақтау"],
  Open: ["Open", "Открыть", "Відкрити", "Atvērt", "Ашу"],
  neverAgain: ["Do not show this again", "Больше не показывать", "Більше не показувати", "Vairs nerādīt", "Енді көрсетпеу"],
  closed: ["The card is closed.", "Карточка закрыта.", "Картку закрито.", "Kartīte ir aizvērta.", "Карточка жабылды."],
  lost: ["The connection to the server was lost. Reload the page to reconnect.",
         "Соединение с сервером потеряно. Обновите страницу, чтобы подключиться снова.",
         "З'єднання з сервером втрачено. Оновіть сторінку, щоб під'єднатися знову.",
         "Savienojums ar serveri ir zaudēts. Pārlādējiet lapu, lai savienotos no jauna.",
         "Сервермен байланыс үзілді. Қайта қосылу үшін бетті жаңартыңыз."],
  viewer: ["This card is open in another tab: here you can only look at it.",
           "Эта карточка открыта в другой вкладке: здесь её можно только просматривать.",
           "Цю картку відкрито в іншій вкладці: тут її можна лише переглядати.",
           "Šī kartīte ir atvērta citā cilnē: šeit to var tikai apskatīt.",
           "Бұл карточка басқа қойындыда ашық: мұнда оны тек қарауға болады."],
  variables: ["The new instance's variables:", "Переменные нового экземпляра:", "Змінні нового екземпляра:",
              "Jaunās instances mainīgie:", "Жаңа дананың айнымалылары:"],
  oneALine: ["One value a line", "По одному значению в строке", "По одному значенню в рядку", "Viena vērtība rindā",
             "Әр жолда бір мән"],
  filter: ["Filter", "Фильтр", "Фільтр", "Filtrs", "Сүзгі"],
  date: ["Date", "Дата", "Дата", "Datums", "Күні"],
  type: ["Type", "Тип", "Тип", "Tips", "Түрі"],
  action: ["Action", "Действие", "Дія", "Darbība", "Әрекет"],
  change: ["Change", "Изменение", "Зміна", "Izmaiņa", "Өзгеріс"],
  function: ["Function", "Функция", "Функція", "Funkcija", "Функция"],
  message: ["Message", "Сообщение", "Повідомлення", "Ziņojums", "Хабарлама"],
  error: ["error", "ошибка", "помилка", "kļūda", "қате"],
  warning: ["warning", "предупреждение", "попередження", "brīdinājums", "ескерту"],
  info: ["info", "сведения", "відомості", "informācija", "мәлімет"],
  editing: ["Editing", "Редактируется", "Редагується", "Rediģē", "Өңделуде"],
  inUse: ["In use", "Используется", "Використовується", "Lietošanā", "Қолданылуда"],
  notActive: ["Not active", "Не активен", "Не активний", "Nav aktīvs", "Белсенді емес"],
  active: ["Active", "Активен", "Активний", "Aktīvs", "Белсенді"],
  paused: ["Paused", "Приостановлен", "Призупинено", "Apturēts", "Тоқтатылған"],
  finished: ["Finished", "Завершён", "Завершено", "Pabeigts", "Аяқталған"],
  failed: ["Failed", "Ошибка выполнения", "Помилка виконання", "Neizdevās", "Сәтсіз"],
  undo: ["Undo", "Отменить", "Скасувати", "Atsaukt", "Болдырмау"],
  redo: ["Redo", "Повторить", "Повторити", "Atcelt atsaukšanu", "Қайталау"],
  tidyUp: ["Tidy up", "Упорядочить", "Упорядкувати", "Sakārtot", "Ретке келтіру"],
  zoomSelection: ["Zoom to selection", "К выделенному", "До виділеного", "Tuvināt atlasīto", "Таңдалғанға"],
  find: ["Find (Ctrl+F)", "Найти (Ctrl+F)", "Знайти (Ctrl+F)", "Meklēt (Ctrl+F)", "Табу (Ctrl+F)"],
  functions: ["Functions", "Функции", "Функції", "Funkcijas", "Функциялар"],
  gates: ["Gates", "Шлюзы", "Шлюзи", "Vārti", "Шлюздер"],
  newLinks: ["New links", "Новые связи", "Нові зв'язки", "Jaunās saites", "Жаңа байланыстар"],
  success: ["Success", "Успех", "Успіх", "Veiksme", "Сәтті"],
  failure: ["Failure", "Ошибка", "Помилка", "Kļūme", "Қате"],
  completion: ["Completion", "Завершение", "Завершення", "Pabeigšana", "Аяқталу"],
  findings: ["Findings", "Замечания", "Зауваження", "Atradumi", "Ескертулер"],
  process: ["Process", "Процесс", "Процес", "Process", "Процесс"],
  function: ["Function", "Функция", "Функція", "Funkcija", "Функция"],
  gate: ["Gate", "Шлюз", "Шлюз", "Vārti", "Шлюз"],
  link: ["Link", "Связь", "Зв'язок", "Saite", "Байланыс"],
  selected: ["selected", "выделено", "виділено", "atlasīti", "таңдалды"],
  caption: ["Caption", "Заголовок", "Заголовок", "Virsraksts", "Тақырып"],
  description: ["Description", "Описание", "Опис", "Apraksts", "Сипаттама"],
  type: ["Type", "Тип", "Тип", "Tips", "Түрі"],
  linkType: ["Link type", "Тип связи", "Тип зв'язку", "Saites tips", "Байланыс түрі"],
  disabled: ["Disabled", "Отключена", "Вимкнено", "Atspējota", "Өшірілген"],
  priority: ["Priority", "Приоритет", "Пріоритет", "Prioritāte", "Басымдық"],
  responsible: ["Responsible", "Ответственный", "Відповідальний", "Atbildīgais", "Жауапты"],
  variables: ["Variables", "Переменные", "Змінні", "Mainīgie", "Айнымалылар"],
};
const LOCALES = [1033, 1049, 1058, 1062, 1087];
let localeIndex = 0;

function setLocale(locale) {
  localeIndex = Math.max(0, LOCALES.indexOf(locale));
  document.documentElement.lang = ["en", "ru", "uk", "lv", "kk"][localeIndex];
  for (const el of document.querySelectorAll("[data-word]")) el.textContent = word(el.dataset.word);
  for (const el of document.querySelectorAll("[data-placeholder]")) el.placeholder = word(el.dataset.placeholder);
}

function word(key) {
  const forms = WORDS[key];
  return forms ? forms[localeIndex] : key;
}
